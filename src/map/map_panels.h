// The texts of zormap.exe's panels and legend, fitted to a width in pixels:
// one line a region or allocation, never wrapped; only a file's name gives
// way, in the middle of its path.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/ztext.h"
#include "monitor/ceiling.h"
#include "space/address_map.h"
#include "space/regions.h"

// How wide a text is drawn in the panels' font, in pixels.
class TextMeasure {
 public:
  virtual ~TextMeasure() {}
  virtual int Width(const ZChar* text, size_t units) = 0;
};

enum { kPanelLines = 12, kPanelUnits = 1600 };

// The path whole when it fits width, otherwise its start and its end around
// "...", the end keeping the file's name with its folder for as long as
// they fit; always terminated in out.
void FitPath(TextMeasure& measure, const ZChar* path, int width, ZChar* out, size_t units);

// The text whole when it fits width, otherwise as much of its start as
// fits before "...": never cut by a panel's edge. Always terminated.
void FitLine(TextMeasure& measure, const ZChar* text, int width, ZChar* out, size_t units);

// A panel's lines, CR LF apart: a heading, then at most kPanelLines - 1
// lines of a fixed part followed by a path fitted to what the width leaves;
// a fixed part wider than the panel ends in "..." where it would be cut.
class PanelText {
 public:
  PanelText(TextMeasure& measure, int width, ZChar* out, size_t units, const ZChar* heading);
  // False once the panel is full.
  bool Line(const ZChar* fixed, const ZChar* path);

 private:
  TextMeasure& measure_;
  int width_, lines_ = 1;
  ZBuilder text_;
};

// The regions of one MB of the map, largest first.
void CellPanel(const RegionTable& table, uint32_t cell, TextMeasure& measure, int width, ZChar* out,
               size_t units);
// The largest allocations, largest first; against a known ceiling, then the
// runs that keep the space apart (none when no run would help) and what
// still fits.
void LargestPanel(const RegionTable& table, const TargetCeiling& ceiling, TextMeasure& measure,
                  int width, ZChar* out, size_t units);
// A legend line: the kind's name and its total.
void LegendLine(const AddressMap& map, int kind, ZChar* out, size_t units);
// Wide enough for every legend line any map can give, beside its colour box.
int LegendWidth(TextMeasure& measure, int box);
// Wide enough for every line the figures can hold, so that none is cut.
int FiguresWidth(TextMeasure& measure);
