// zormap.exe's logic: a walk turned into cells, the trend of the size, and
// the warning's crossing rule.
#include "space/address_map.h"

#include <gtest/gtest.h>

#include "space/map_csv.h"
#include "space/regions.h"
#include "support/fakes.h"

namespace {

TEST(AddressMap, EachCellTakesItsLargestKindAndTheLargestUsableBlockIsKept) {
  FakeProcessApi api;  // 64 KB granularity, last usable byte 0x7FFEFFFF
  ResetSystemInfoCache();
  AddressMapBuilder builder;
  builder.Begin(0x7FFEFFFF);
  // MB 0: 0.75 MB image, then free from 4 KB past a 64 KB boundary.
  builder.Region({0x10000, 0xB0000, kMemCommit, kMemImage});
  builder.Region({0xC1000, 0x3F000, kMemFree});
  // MB 1-2: 1.5 MB mapped, 0.5 MB private reserved.
  builder.Region({0x100000, 0x180000, kMemReserve, kMemMapped});
  builder.Region({0x280000, 0x80000, kMemReserve, kMemPrivate});
  // MB 3-5: free, the largest usable block; MB 6: committed to the top.
  builder.Region({0x300000, 0x300000, kMemFree});
  builder.Region({0x600000, 0x7F9F0000, kMemCommit, kMemPrivate});
  AddressMap map;
  builder.Finish(&map);
  EXPECT_EQ(map.cells, 2048u);
  const uint8_t expected[] = {kMapImage,      kMapMapped,     kMapPrivateReserved, kMapUsableFree,
                              kMapUsableFree, kMapUsableFree, kMapPrivateCommitted};
  for (uint32_t c = 0; c < 7; ++c) EXPECT_EQ(map.kind[c], expected[c]) << c;
  EXPECT_EQ(map.bytes[kMapUnusableFree], 0xF000u);  // up to the next 64 KB boundary
  EXPECT_EQ(map.bytes[kMapUsableFree], 0x30000u + 0x300000u);
  EXPECT_EQ(map.largestStart, 0x300000u);
  EXPECT_EQ(map.largestEnd, 0x600000u);
  ResetSystemInfoCache();
}

TEST(RegionTable, GroupsAllocationsNamesThemOnceAndWritesEachRegionAsCsv) {
  FakeProcessApi api;
  FakeProcess& p = api.Add(7, Z("\\Device\\HarddiskVolume1\\cad\\xtop.exe"));
  p.mappedFiles[0x400000] = Z("\\Device\\HarddiskVolume1\\cad\\a,\"b\".dll");
  RegionTable table;
  auto read = [&table](std::vector<RegionInfo> regions) {
    table.Begin(0);
    for (const RegionInfo& r : regions) table.Region(r);
    table.Keep();
    table.NameAllocations(7);
  };
  const std::vector<RegionInfo> regions = {
      {0x10000, 0x30000, kMemFree},
      {0x400000, 0x1000, kMemCommit, kMemImage, 0x2, 0x400000},
      {0x401000, 0x5000, kMemCommit, kMemImage, 0x20, 0x400000},
      {0x406000, 0x30000000, kMemReserve, kMemPrivate, 0, 0x406000},  // an unused pool
      {0x30406000, 0x100000, kMemCommit, kMemMapped, 0x4, 0x30406000},
      {0x30506000, 0x200000, kMemReserve, kMemMapped, 0, 0x30406000}};
  read(regions);
  // A walk cut short leaves the table as it was.
  table.Begin(0);
  table.Region(regions[0]);
  EXPECT_EQ(table.Count(), regions.size());
  Allocation top[2];
  ASSERT_EQ(table.Largest(top, 2), 2u);
  EXPECT_EQ(top[0].base, 0x406000u);
  EXPECT_EQ(top[0].committed, 0u);
  EXPECT_EQ(top[1].size, 0x300000u);  // one base, two regions
  EXPECT_EQ(top[1].committed, 0x100000u);
  EXPECT_EQ(Narrow(table.NameOf(0x400000)), "\\Device\\HarddiskVolume1\\cad\\a,\"b\".dll");
  p.mappedFiles.clear();  // looked up once: kept while the allocation stays
  read(regions);
  EXPECT_NE(table.NameOf(0x400000), nullptr);
  // Another DLL at the same base, of another size: looked up anew.
  std::vector<RegionInfo> other = regions;
  other[2].size = 0x4000;
  other.insert(other.begin() + 3, {0x405000, 0x1000, kMemFree});
  p.mappedFiles[0x400000] = Z("\\Device\\HarddiskVolume1\\plugins\\b.dll");
  read(other);
  EXPECT_EQ(Narrow(table.NameOf(0x400000)), "\\Device\\HarddiskVolume1\\plugins\\b.dll");
  p.mappedFiles[0x400000] = Z("\\Device\\HarddiskVolume1\\cad\\a,\"b\".dll");
  read(regions);

  const char* lines[] = {"0x00010000,196608,free,,0x0,0x00000000,\"\",\r\n",
                         "0x00400000,4096,commit,image,0x2,0x00400000,"
                         "\"\\Device\\HarddiskVolume1\\cad\\a,\"\"b\"\".dll\",\r\n",
                         nullptr,
                         "0x00406000,805306368,reserve,private,0x0,0x00406000,\"\",\r\n",
                         nullptr,
                         "0x30506000,2097152,reserve,mapped,0x0,0x30406000,\"\",\r\n"};
  for (uint32_t i = 0; i < table.Count(); ++i) {
    if (!lines[i]) continue;
    const MapRegion& r = table.At(i);
    char line[512];
    FormatCsvLine(r, r.state != kMemFree ? table.NameOf(r.allocationBase) : nullptr, line,
                  sizeof line);
    EXPECT_EQ(std::string(line), lines[i]);
  }
}

}  // namespace
