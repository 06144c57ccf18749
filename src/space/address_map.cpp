#include "space/address_map.h"

#include <string.h>

const uint32_t kMapColors[kMapKinds] = {
    0xC8F0C8,  // usable free: pale green
    0xE6E6E6,  // unusable free: light grey
    0x3C3CDC,  // private committed: red
    0x78AAF5,  // private reserved: orange
    0xDC6E50,  // image: blue
    0xC864AA,  // mapped: purple
    0xA0A028,  // thread stacks: teal
};
const char* const kMapKindNames[kMapKinds] = {
    "usable free", "free, unusable", "private committed", "private reserved",
    "image",       "mapped",         "thread stacks",
};

void AddressMapBuilder::Begin(uint64_t usableTop) {
  const SystemInfoRecord& si = CachedSystemInfo();
  const uint64_t cells = ((usableTop ? usableTop : si.maximumAddress) >> 20) + 1;
  cells_ = static_cast<uint32_t>(cells < kMapMaxCells ? cells : uint64_t{kMapMaxCells});
  usableTop_ = usableTop;
  granularity_ = si.allocationGranularity;
  largestStart_ = largestEnd_ = 0;
  memset(bytes_, 0, sizeof bytes_);
  memset(totals_, 0, sizeof totals_);
}

void AddressMapBuilder::Add(uint64_t start, uint64_t end, MapKind kind) {
  const uint64_t limit = static_cast<uint64_t>(cells_) << 20;
  if (end > limit) end = limit;
  while (start < end) {
    const uint64_t cellEnd = ((start >> 20) + 1) << 20;
    const uint64_t to = cellEnd < end ? cellEnd : end;
    bytes_[start >> 20][kind] += static_cast<uint32_t>(to - start);
    totals_[kind] += to - start;
    start = to;
  }
}

void AddressMapBuilder::Region(const RegionInfo& r, PrivateUse use) {
  const uint64_t end = r.base + r.size;
  if (r.state == kMemFree) {
    uint64_t from = r.base, to = r.base;
    if (UsablePart(r.base, end, usableTop_ ? usableTop_ : end - 1, granularity_, &from, &to)) {
      if (to - from > largestEnd_ - largestStart_) largestStart_ = from, largestEnd_ = to;
      Add(r.base, from, kMapUnusableFree);
      Add(from, to, kMapUsableFree);
      Add(to, end, kMapUnusableFree);
    } else {
      Add(r.base, end, kMapUnusableFree);
    }
  } else if (r.type == kMemImage) {
    Add(r.base, end, kMapImage);
  } else if (r.type == kMemMapped) {
    Add(r.base, end, kMapMapped);
  } else if (use == kUseStack) {
    Add(r.base, end, kMapStack);
  } else {
    Add(r.base, end, r.state == kMemCommit ? kMapPrivateCommitted : kMapPrivateReserved);
  }
}

void AddressMapBuilder::Finish(AddressMap* map) const {
  map->cells = cells_;
  for (uint32_t c = 0; c < cells_; ++c) {
    int best = kMapUnusableFree;  // a cell the walk did not reach
    for (int k = 0; k < kMapKinds; ++k)
      if (bytes_[c][k] > bytes_[c][best]) best = k;
    map->kind[c] = static_cast<uint8_t>(best);
  }
  memcpy(map->bytes, totals_, sizeof totals_);
  map->largestStart = largestStart_;
  map->largestEnd = largestEnd_;
}

MapLayout LayoutMap(int width, int height, uint32_t cells, int labelWidth) {
  MapLayout l;
  l.labelWidth = labelWidth;
  l.rows = static_cast<int>((cells + kMapCellsPerRow - 1) / kMapCellsPerRow);
  const int w = (width - labelWidth) / kMapCellsPerRow;
  const int h = l.rows ? height / l.rows : 1;
  l.cellWidth = w > 1 ? w : 1;
  l.cellHeight = h > 1 ? h : 1;
  return l;
}

void MapLayout::CellRect(uint32_t cell, int* rect) const {
  rect[0] = labelWidth + static_cast<int>(cell % kMapCellsPerRow) * cellWidth;
  rect[1] = static_cast<int>(cell / kMapCellsPerRow) * cellHeight;
  rect[2] = rect[0] + cellWidth;
  rect[3] = rect[1] + cellHeight;
}

int MapLayout::CellAt(int x, int y, uint32_t cells) const {
  if (x < labelWidth || y < 0) return -1;
  const int column = (x - labelWidth) / cellWidth, row = y / cellHeight;
  if (column >= kMapCellsPerRow) return -1;
  const uint32_t cell = static_cast<uint32_t>(row) * kMapCellsPerRow + column;
  return cell < cells ? static_cast<int>(cell) : -1;
}
