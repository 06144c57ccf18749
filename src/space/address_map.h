// The map of a target's address space: one cell per MB from address 0 to
// its ceiling, each showing the kind of use that takes most of that MB.
#pragma once
#include <stdint.h>

#include "monitor/threads.h"
#include "monitor/vsize.h"

enum MapKind : uint8_t {
  kMapUsableFree,
  kMapUnusableFree,  // too small, or off the allocation granularity, or above the ceiling
  kMapPrivateCommitted,
  kMapPrivateReserved,
  kMapImage,
  kMapMapped,
  kMapStack,  // committed or reserved: the other private kinds are the rest
  kMapKinds
};

enum { kMapMaxCells = 4096, kMapCellsPerRow = 64 };

// Each kind's colour (0x00BBGGRR) and name, as the map and its legend show them.
extern const uint32_t kMapColors[kMapKinds];
extern const char* const kMapKindNames[kMapKinds];

struct AddressMap {
  uint32_t cells = 0;
  uint8_t kind[kMapMaxCells] = {};
  uint64_t bytes[kMapKinds] = {};  // over the whole map, for the legend
  // The largest usable block, [start, end); empty when there is none.
  uint64_t largestStart = 0, largestEnd = 0;
};

// Collects a walk's regions into a map.
class AddressMapBuilder : public RegionSink {
 public:
  // The map covers the target up to usableTop, as the walk's usable figures
  // do; with 0 (a ceiling not known) the whole walked range, every free
  // piece then counting as usable.
  void Begin(uint64_t usableTop) override;
  void Region(const RegionInfo& region) override { Region(region, kUseOther); }
  // A region whose use the thread census knows.
  void Region(const RegionInfo& region, PrivateUse use);
  void Finish(AddressMap* map) const;

 private:
  void Add(uint64_t start, uint64_t end, MapKind kind);
  uint32_t cells_ = 0;
  uint64_t usableTop_ = 0;
  uint32_t granularity_ = 1;
  uint64_t largestStart_ = 0, largestEnd_ = 0;
  uint32_t bytes_[kMapMaxCells][kMapKinds];
  uint64_t totals_[kMapKinds];
};

// Where the cells go in a grid area of the given size: a column of address
// labels, then kMapCellsPerRow cells a row, as large as fit (at least 1 px).
struct MapLayout {
  int labelWidth = 0, cellWidth = 1, cellHeight = 1, rows = 0;
  // The cell's rectangle in the grid area: left, top, right, bottom.
  void CellRect(uint32_t cell, int* rect) const;
  // The cell at a point, or -1.
  int CellAt(int x, int y, uint32_t cells) const;
};
MapLayout LayoutMap(int width, int height, uint32_t cells, int labelWidth);
