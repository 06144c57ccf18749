// The saved files zormap opens: a zorlog CSV of any header zorlog has
// written, and a map as zormap saves it, each read in chunks of any size.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "map/history.h"
#include "map/opened_log.h"
#include "space/log_reader.h"
#include "space/map_reader.h"
#include "support/fakes.h"

namespace {

const std::string kFirst =
    "time,pid,virtual_mb,committed_mb,reserved_mb,free_mb,largest_free_mb,regions,"
    "peak_virtual_mb,limit_mb\r\n";
const std::string kWithCeiling =
    "time,pid,virtual_mb,committed_mb,reserved_mb,free_mb,largest_free_mb,regions,"
    "peak_virtual_mb,limit_mb,ceiling_mb,usable_free_mb,largest_usable_mb,"
    "largest_usable_below_2g_mb,image_committed_mb,image_reserved_mb,mapped_committed_mb,"
    "mapped_reserved_mb,private_committed_mb,private_reserved_mb\r\n";
const std::string kWithStacks = kWithCeiling.substr(0, kWithCeiling.size() - 2) +
                                ",threads,stack_committed_mb,stack_reserved_mb\r\n";
// What zorlog writes now.
const std::string kAll = kLogHeader;

bool Feed(CsvReader& reader, const std::string& text, size_t chunk) {
  for (size_t i = 0; i < text.size(); i += chunk)
    reader.Feed(text.data() + i, std::min(chunk, text.size() - i));
  return reader.Finish();
}

std::string Error(const CsvReader& reader) {
  ZChar text[128];
  reader.Describe(text, 128);
  return Narrow(text);
}

TEST(LogReader, ReadsEveryHeaderSkipsStatusLinesAndRefusesABrokenRowByItsLine) {
  const std::string row = "2024-05-01T10:00:00,42,1500,1000,500,2000,900,700,1500,0";
  const std::string ceiling = ",2047,500,300,200,90,0,300,0,610,500";
  struct Case {
    std::string text;
    uint32_t rows, skipped;
    std::string error;             // empty: read
    uint32_t virtualMb, usableMb;  // the last row's, the last bucket's largest usable
  } cases[] = {
      {kFirst + row + "\r\n" + "2024-05-01T10:00:01,42,1600,1000,600,2000,800,700,1600,0\r\n", 2, 0,
       "", 1600, 800},  // the largest free block stands in
      {kWithCeiling + "waiting for app.exe\r\n" + row + ceiling + "\r\n" + row, 1, 1, "", 1500,
       300},
      {kWithCeiling + row + ",,,,,90,0,300,0,610,500\n", 1, 0, "", 1500, kNoFigure},
      {kWithStacks + row + ceiling + ",12,3,40\r\n", 1, 0, "", 1500, 300},
      {kAll + row + ceiling + ",12,3,40,-300,32,1,\"CAD\\x\"\r\n2024-05-01T10:00:01" +
           row.substr(19) + ceiling + ",,,,-300,64,,\r\n",
       2, 0, "", 1500, 300},
      {kAll + row + ceiling + ",,,,60,48,,\r\n", 0, 0, "line 2: bits is not 32 or 64", 0, 0},
      {kAll + row + ceiling + ",,,,60,32,,\"a\"b\"\r\n", 0, 0, "line 2: user's quotes are wrong", 0,
       0},
      {kWithCeiling + "\r\n" + row + ceiling + "\r\n2024-05-01T10:00:0x" + row.substr(19) +
           ceiling + "\r\n",
       0, 0, "line 4: the time is not YYYY-MM-DDTHH:MM:SS", 0, 0},
      {kWithCeiling + row + ",2047,500,3x0,200,90,0,300,0,610,500\r\n", 0, 0,
       "line 2: largest_usable_mb is not a whole number", 0, 0},
      {kWithCeiling + row + ",,,,,90,0,300,0,610\r\n", 0, 0,
       "line 2: it has 19 fields, the header 20", 0, 0},
      {kFirst + row.substr(0, row.size() - 1) + "\r\n", 0, 0, "line 2: limit_mb is empty", 0, 0},
      {"time,pid,virtual_mb\r\n" + row + "\r\n", 0, 0, "line 1: not a header this program writes",
       0, 0},
      {kFirst.substr(0, 30), 0, 0,
       "line 1: no header: the file is empty or its first line unfinished", 0, 0},
  };
  for (const Case& c : cases)
    for (size_t chunk : {size_t{1}, size_t{7}, c.text.size() + 1}) {
      auto history = std::make_unique<History>();
      OpenedLog opened(history.get());
      LogReader reader(&opened);
      const bool read = Feed(reader, c.text, chunk);
      const std::string what = c.text.substr(0, 40) + " in chunks of " + std::to_string(chunk);
      ASSERT_EQ(read, c.error.empty()) << what;
      if (!read) {
        EXPECT_EQ(Error(reader), c.error) << what;
        continue;
      }
      EXPECT_EQ(reader.Rows(), c.rows) << what;
      EXPECT_EQ(reader.Skipped(), c.skipped) << what;
      EXPECT_EQ(history->Readings(), c.rows) << what;
      EXPECT_EQ(reader.Last().virtualMb, c.virtualMb) << what;
      HistoryPoint p;
      history->Column(c.rows - 1, kHistoryBuckets, &p);
      EXPECT_EQ(p.range[kSeriesLargestUsable].min, c.usableMb) << what;
    }
}

// The hour repeated when daylight saving ends: rows placed an hour apart by
// their offsets, each labelled by its own local time.
TEST(LogReader, PlacesRowsByTheirTimeAndOffset) {
  const std::string row = "2024-10-27T02:30:00,42,1500,1,5,2,9,7,1500,0,,,,,0,0,0,0,0,0,,,";
  auto history = std::make_unique<History>();
  OpenedLog opened(history.get());
  LogReader reader(&opened);
  ASSERT_TRUE(Feed(reader, kAll + row + ",120,32,,\r\n" + row + ",60,32,,\r\n", 64));
  ASSERT_EQ(history->Filled(), 3601u);
  HistoryPoint p;
  history->Column(3600, kHistoryBuckets, &p);
  EXPECT_EQ(p.from + p.label, HistorySeconds(2024, 10, 27, 2, 30, 0));
}

TEST(MapReader, ReadsWhatTheMapSaveWritesWithOrWithoutItsUseColumn) {
  const RegionInfo regions[] = {{0x10000, 0x30000, kMemFree},
                                {0x400000, 0x1000, kMemCommit, kMemImage, 0x2, 0x400000},
                                {0x401000, 0x5000, kMemCommit, kMemImage, 0x20, 0x400000},
                                {0x406000, 0x100000, kMemReserve, kMemPrivate, 0, 0x406000}};
  const ZString name = Z("C:\\app\\a,\"b\"") + ZString(1, ZChar(0x00E9)) + Z(".dll");
  for (bool withUse : {false, true}) {
    // What the save writes, and the same without its last column.
    std::string text = kMapCsvHeader;
    if (!withUse) text.erase(text.rfind(','), 4);
    for (int i = 0; i < 4; ++i) {
      const RegionInfo& r = regions[i];
      char line[512];
      FormatCsvLine({r.base, r.size, r.allocationBase, r.state, r.type, r.protect, 9,
                     i == 3 ? kUseStack : kUseOther},
                    r.type == kMemImage ? name.c_str() : nullptr, line, sizeof line);
      std::string row = line;
      text += withUse ? row : row.substr(0, row.rfind(',')) + "\r\n";
      if (i == 1) text += "zormap: a status line\r\n";
    }
    MapReader reader;
    ASSERT_TRUE(Feed(reader, text + "0x00506000,4096,fr", 5)) << Error(reader);
    EXPECT_EQ(reader.Skipped(), 1u);
    ASSERT_EQ(reader.Count(), 4u);
    for (uint32_t i = 0; i < 4; ++i) {
      const MapRegion& m = reader.At(i);
      EXPECT_EQ(m.base, regions[i].base);
      EXPECT_EQ(m.state | m.type | m.protect,
                regions[i].state | regions[i].type | regions[i].protect);
    }
    EXPECT_EQ(reader.At(3).use, withUse ? kUseStack : kUseOther);
    EXPECT_EQ(reader.At(3).tid, withUse ? 9u : 0u);
    EXPECT_EQ(reader.NameOf(0x406000) == nullptr, withUse);  // a thread is no file's name
    EXPECT_EQ(ZString(reader.NameOf(0x400000)), name);
    EXPECT_EQ(reader.Top(), 0x505FFFu);
    EXPECT_FALSE(reader.Ceiling().known);  // a file from before it was recorded
    const AddressSpaceStats s = reader.Figures();
    EXPECT_EQ(s.committed, 0x6000u);
    EXPECT_EQ(s.reserved, 0x100000u);
    EXPECT_EQ(s.largestFree, 0x30000u);
  }
  struct Broken {
    std::string rows, error;
  } broken[] = {
      {"0x10000,4096,free,,0x0,0x0,\"\",\r\n0x10000,4096,free,,0x0,0x0,\"\",\r\n",
       "line 3: the region overlaps the one before"},
      {"0x10000,4096,gone,,0x0,0x0,\"\",\r\n", "line 2: unknown state, type or use"},
      {"0x10000,4096,free,,0x0,0x0,\"a\"b,\r\n", "line 2: the name's quotes are wrong"},
      {"ceiling,2047,0x7FFEFFFF\r\n",
       "line 2: the ceiling is not MB, last usable byte, stack size"},
      {"0x10000,4096,free,,0x0,0x0,\"\",\r\nceiling,2047,0x7FFEFFFF,0\r\n",
       "line 3: the ceiling comes once, before the regions"},
      {"0x1000g,4096,free,,0x0,0x0,\"\",\r\n",
       "line 2: the base or size is not a number, or they run past the address space"},
  };
  for (const Broken& b : broken) {
    MapReader reader;
    EXPECT_FALSE(Feed(reader, kMapCsvHeader + b.rows, 64));
    EXPECT_EQ(Error(reader), b.error);
  }
}

TEST(MapReader, TakesTheImagePidAndTimeFromTheNameZormapProposes) {
  struct Case {
    const char* path;
    bool ok;
    const char* image;
    uint32_t pid;
    int hour;
  } cases[] = {
      {"C:\\maps\\my-app-4021-20240501-235959.CSV", true, "my-app", 4021, 23},
      {"/tmp/x-1-20240501-000000.csv", true, "x", 1, 0},
      {"x-4021-20240501-245959.csv", false, "", 0, 0},  // no such hour
      {"4021-20240501-235959.csv", false, "", 0, 0},    // no image
      {"x-0-20240501-235959.csv", false, "", 0, 0},
      {"x-4021-20240501-235959.txt", false, "", 0, 0},
  };
  for (const Case& c : cases) {
    SavedName s = {};
    ASSERT_EQ(ParseSavedName(Z(c.path).c_str(), &s), c.ok) << c.path;
    if (!c.ok) continue;
    EXPECT_EQ(Narrow(s.image), c.image);
    EXPECT_EQ(s.pid, c.pid);
    EXPECT_EQ(s.hour, c.hour);
    EXPECT_EQ(s.year * 10000 + s.month * 100 + s.day, 20240501);
  }
}

}  // namespace
