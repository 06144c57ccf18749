// zormap.exe's session, driven step by step with substitute processes and a
// given time: what its title, figures and saves say through exits, restarts,
// a walk cut short and a picked PID; and the panels' and window's measures.
#include "map/map_session.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "map/map_layout.h"
#include "map/map_panels.h"
#include "map/opened_log.h"
#include "space/map_reader.h"
#include "support/fakes.h"

namespace {

struct SessionRig {
  FakeProcessApi api;
  FakeSystemApi system;
  std::unique_ptr<MapSession> session{new MapSession};  // its map builder is large
  SessionRig() {
    system.totalVirtual = 4095ull << 20;
    ResetSystemInfoCache();
    WarningThresholds t;
    t.belowMb = 4096;  // always crossed: a title begins with "!" while a reading warns
    session->SetThresholds(t);
  }
  ~SessionRig() { ResetSystemInfoCache(); }
  void Start(uint32_t pid) {
    FakeProcess& p = api.Add(pid, Z("\\Device\\HarddiskVolume1\\cad\\xtop.exe"));
    p.regions = {{0x10000, 0x200000, kMemCommit, kMemPrivate, 4, 0x10000},
                 {0x210000, 0x7FDE0000, kMemFree}};
    p.header = ImageHeader(false);
  }
  void Exit(uint32_t pid) {
    api.Find(pid)->exitCode = 0xC0000017;  // out of memory
    api.pidList.erase(std::remove(api.pidList.begin(), api.pidList.end(), pid), api.pidList.end());
  }
  MapChanges Step(int second) {
    MapTime t;
    t.tick = 5000 + second * 1000;
    t.year = 2026, t.month = 1, t.day = 2, t.hour = 14, t.minute = 2, t.second = second;
    return session->Step(t);
  }
  std::string SavedAs() {
    MapSnapshot s;
    if (!session->Snapshot(&s)) return "";
    ZChar name[96];
    ProposeCsvName(s, name, 96);
    return Narrow(name) + " " + std::to_string(s.regions.Count());
  }
};

struct Expect {
  std::function<void(SessionRig&)> before;
  const char* title;
  bool stale;
  const char* saved;  // the name a save proposes, and its regions
};

void Drive(SessionRig& rig, const std::vector<Expect>& steps) {
  int second = 10;
  for (const Expect& e : steps) {
    if (e.before) e.before(rig);
    const MapChanges c = rig.Step(second);
    EXPECT_EQ(Narrow(rig.session->Title()), e.title) << second;
    EXPECT_EQ(rig.session->Stale(), e.stale) << second;
    EXPECT_EQ(rig.session->Warning(), e.title[0] == '!') << second;
    EXPECT_FALSE(c.flash && e.title[0] != '!') << second;
    EXPECT_EQ(rig.SavedAs(), e.saved) << second;
    ++second;
  }
  EXPECT_EQ(rig.api.OpenHandles(), rig.session->State() == kMapConnected ? 1u : 0u);
}

TEST(MapSession, KeepsTheLastReadingOfAProcessGoneUntilItsNameRunsAgain) {
  SessionRig rig;
  ZChar reason[kFollowErrorUnits];
  ASSERT_TRUE(rig.session->Follow(ZT("xtop.exe"), 0, reason));
  Drive(rig, {
                 {nullptr, "zormap - waiting for xtop.exe", false, ""},
                 {[](SessionRig& r) { r.Start(7); }, "! zormap - xtop.exe (PID 7)", false,
                  "xtop-7-20260102-140211.csv 2"},
                 {[](SessionRig& r) { r.Exit(7); },
                  "zormap - waiting for xtop.exe (PID 7 exited 14:02:12 with 0xC0000017 (not "
                  "enough memory))",
                  true, "xtop-7-20260102-140211.csv 2"},
                 {nullptr,
                  "zormap - waiting for xtop.exe (PID 7 exited 14:02:12 with 0xC0000017 (not "
                  "enough memory))",
                  true, "xtop-7-20260102-140211.csv 2"},
                 {[](SessionRig& r) { r.Start(9); }, "! zormap - xtop.exe (PID 9)", false,
                  "xtop-9-20260102-140214.csv 2"},
                 // Cut short by an exit mid-walk: the last whole reading stays.
                 {[](SessionRig& r) { r.api.Find(9)->failQueryAt = 3; },
                  "! zormap - xtop.exe (PID 9)", false, "xtop-9-20260102-140214.csv 2"},
             });
  EXPECT_EQ(rig.session->Regions().Count(), 2u);
  EXPECT_EQ(rig.session->Map().kind[0], kMapPrivateCommitted);
  // A save writes the reading of the moment it was asked for, whatever comes
  // while its dialog is open.
  MapSnapshot kept;
  ASSERT_TRUE(rig.session->Snapshot(&kept));
  rig.Exit(9);
  rig.Step(20);
  rig.Start(11);
  rig.api.Find(11)->regions = {{0x10000, 0x100000, kMemCommit, kMemPrivate, 4, 0x10000},
                               {0x110000, 0x100000, kMemReserve, kMemPrivate, 0, 0x110000},
                               {0x210000, 0x7FDE0000, kMemFree}};
  rig.Step(21);
  EXPECT_EQ(rig.session->Regions().Count(), 3u);
  EXPECT_EQ(kept.pid, 9u);
  EXPECT_EQ(kept.regions.Count(), 2u);
}

TEST(MapSession, FollowsThePickedPidWhileItRunsUnderThePickedNameThenTheName) {
  SessionRig rig;
  rig.Start(7);
  rig.Start(9);  // two of the name: the lookup by name finds 7 first
  rig.api.Add(12, Z("\\Device\\HarddiskVolume1\\other.exe"));
  Drive(rig, {
                 {[](SessionRig& r) { r.session->FollowChosen(ZT("xtop.exe"), 9); },
                  "! zormap - xtop.exe (PID 9)", false, "xtop-9-20260102-140210.csv 2"},
                 {[](SessionRig& r) { r.Exit(9); },
                  "zormap - waiting for xtop.exe (PID 9 exited 14:02:11 with 0xC0000017 (not "
                  "enough memory))",
                  true, "xtop-9-20260102-140210.csv 2"},
                 {nullptr, "! zormap - xtop.exe (PID 7)", false, "xtop-7-20260102-140212.csv 2"},
                 // The PID passed to another process since the list was made.
                 {[](SessionRig& r) { r.session->FollowChosen(ZT("xtop.exe"), 12); },
                  "! zormap - xtop.exe (PID 7)", false, "xtop-7-20260102-140213.csv 2"},
                 {[](SessionRig& r) { r.session->FollowChosen(ZT("xtop.exe"), 13); },
                  "! zormap - xtop.exe (PID 7)", false, "xtop-7-20260102-140214.csv 2"},
             });
  // By PID from the command line: that process alone, its exit the end.
  ZChar reason[kFollowErrorUnits];
  ASSERT_TRUE(rig.session->Follow(ZT(""), 7, reason));
  Drive(rig, {
                 {nullptr, "! zormap - xtop.exe (PID 7)", false, "xtop-7-20260102-140210.csv 2"},
                 {[](SessionRig& r) { r.Exit(7); },
                  "zormap - xtop.exe (PID 7) (exited with 0xC0000017 (not enough memory))", true,
                  "xtop-7-20260102-140210.csv 2"},
             });
}

// Found by the process list's names: one that cannot be opened is told of,
// and a 64-bit one, whose modules this program cannot list, is followed.
TEST(MapSession, TellsOfAProcessItCannotOpenAndMeasuresA64BitOneAgainstNoCeiling) {
  SessionRig rig;
  rig.api.selfWow64 = true;
  FakeProcess& refused = rig.api.Add(5, Z("\\Device\\x\\xtop.exe"));
  refused.openable = refused.queryOpenable = false;
  ZChar reason[kFollowErrorUnits];
  ASSERT_TRUE(rig.session->Follow(ZT("xtop.exe"), 0, reason));
  rig.Step(9);
  const std::string told = "xtop.exe (PID 5) runs but cannot be opened (access denied)";
  EXPECT_EQ(Narrow(rig.session->Title()), "zormap - waiting for xtop.exe: " + told);
  EXPECT_EQ(Narrow(rig.session->FiguresText()).find(told + ":\r\nstart zormap as"), 0u);
  rig.Start(7);  // not under WOW64 where this program is: 64-bit
  rig.api.Find(7)->modulesReadable = false;
  Drive(rig, {{nullptr, "zormap - xtop.exe (PID 7)", false, "xtop-7-20260102-140210.csv 2"}});
  const std::string figures = Narrow(rig.session->FiguresText());
  EXPECT_EQ(figures.substr(0, figures.find("\r\nRegions")),
            "Virtual size: 2 MB\r\n64-bit process: no 32-bit ceiling");
  EXPECT_EQ(figures.find('%'), std::string::npos) << figures;
}

// An opened log's figures as a live target's would be: the trend its rows
// give, its ceiling's figure, a 64-bit target against no ceiling.
TEST(MapSession, AnOpenedLogTellsItsTrendCeilingAndBits) {
  const struct {
    uint32_t bits;
    const char *ceiling, *figures;  // its four columns; what the figures say
  } cases[] = {{32, "4095,295,295,295", "Ceiling: 4095 MB, as logged"},
               {32, ",,,", "Ceiling: not logged; against the limit, 4095 MB"},
               {64, ",,,", "64-bit process: no 32-bit ceiling"}};
  for (const auto& c : cases) {
    std::string text = kLogHeader;  // 100 MB a minute to 3800 MB, a row each 10 s
    for (uint32_t i = 0, mb = 2800; i <= 60; ++i, mb = 2800 + i * 100 / 6) {
      char row[200];
      snprintf(row, sizeof row,
               "2026-03-29T01:%02u:%02u,7,%u,0,0,0,0,9,0,4095,%s,0,0,0,0,0,0,,,,60,%u,,\r\n", i / 6,
               i % 6 * 10, mb, c.ceiling, c.bits);
      text += row;
    }
    auto rows = std::make_unique<History>();
    OpenedLog opened(rows.get());
    LogReader log(&opened);
    ASSERT_TRUE(log.Feed(text.data(), text.size()) && log.Finish()) << c.figures;
    MapSession session;
    session.ShowLog(ZT("night.csv"), *rows, log.Last(), opened.TrendMinutes(), 0);
    const std::string figures = Narrow(session.FiguresText());
    EXPECT_NE(figures.find(c.figures), std::string::npos) << figures;
    EXPECT_NE(figures.find(c.bits == 64 ? "Trend: no ceiling" : "Trend: about 3 min to the"),
              std::string::npos)
        << figures;
  }
}

// A log's rows at minutes past 01:00 local (UTC+1), of {minute, pid, MB};
// a user for each PID, or the header before the user column (no offset).
struct LogRowAt {
  int minute;
  uint32_t pid, mb;
};
std::string LogOf(std::initializer_list<LogRowAt> rows, bool users) {
  const std::string all = kLogHeader;
  std::string text = users ? all : all.substr(0, all.find(",utc_offset_min")) + "\r\n";
  for (const LogRowAt& r : rows) {
    char row[200];
    snprintf(row, sizeof row, "2026-03-29T01:%02d:00,%u,%u,0,0,0,0,9,%u,4095,,,,,0,0,0,0,0,0,,,",
             r.minute, r.pid, r.mb, r.mb);
    text += row;
    if (users) text += r.pid == 10 ? ",60,32,1,\"CORP\\nadia\"" : ",60,32,2,\"bo\"";
    text += "\r\n";
  }
  return text;
}

// Each PID's user, first and last row (local), peak; processes whose rows
// share any time overlap, one after another (a restart) do not.
TEST(MapSession, AnOpenedLogTellsEachPidsSpanAndWhetherAnyOverlap) {
  const struct {
    std::string text;
    bool overlap;
    const char* instances;
  } cases[] = {
      {LogOf({{0, 10, 100}, {1, 10, 300}, {1, 20, 50}, {2, 10, 200}, {4, 20, 60}}, true), true,
       "10 CORP\\nadia 2026-03-29 01:00:00-2026-03-29 01:02:00 300;"
       "20 bo 2026-03-29 01:01:00-2026-03-29 01:04:00 60;"},
      {LogOf({{0, 10, 100}, {2, 10, 300}, {3, 20, 50}, {5, 20, 60}}, true), false,
       "10 CORP\\nadia 2026-03-29 01:00:00-2026-03-29 01:02:00 300;"
       "20 bo 2026-03-29 01:03:00-2026-03-29 01:05:00 60;"},
      {LogOf({{0, 10, 100}, {9, 10, 90}}, true), false,
       "10 CORP\\nadia 2026-03-29 01:00:00-2026-03-29 01:09:00 100;"},
      {LogOf({{0, 10, 100}, {1, 10, 120}, {1, 20, 50}, {3, 20, 70}}, false), true,
       "10  2026-03-29 01:00:00-2026-03-29 01:01:00 120;"
       "20  2026-03-29 01:01:00-2026-03-29 01:03:00 70;"},
  };
  for (const auto& c : cases) {
    auto rows = std::make_unique<History>();
    auto instances = std::make_unique<LogInstances>();
    OpenedLog opened(rows.get(), kEveryPid, instances.get());
    LogReader log(&opened);
    ASSERT_TRUE(log.Feed(c.text.data(), c.text.size()) && log.Finish()) << c.instances;
    std::string said;
    for (uint32_t i = 0; i < instances->Count(); ++i) {
      const LogInstance& p = instances->At(i);
      ZChar first[kHistoryTimeUnits], last[kHistoryTimeUnits];
      FormatHistoryTime(p.first + p.firstLabel, first);
      FormatHistoryTime(p.last + p.lastLabel, last);
      said += std::to_string(p.pid) + " " + Narrow(p.user) + " " + Narrow(first) + "-" +
              Narrow(last) + " " + std::to_string(p.peakMb) + ";";
    }
    EXPECT_EQ(said, c.instances);
    EXPECT_EQ(instances->Overlap(), c.overlap) << c.instances;
  }
}

// One PID shown: its rows alone, its own last row as the figures, the
// title naming it.
TEST(MapSession, AnOpenedLogShowsOnePidsRowsAndItsLastRow) {
  const std::string text =
      LogOf({{0, 10, 100}, {1, 10, 300}, {1, 20, 50}, {2, 10, 200}, {4, 20, 60}}, true);
  const struct {
    uint32_t pid, rows, lastMb;
    const char* title;
  } cases[] = {{10, 3, 200, "night.csv (log, PID 10, 3 rows)"},
               {20, 2, 60, "night.csv (log, PID 20, 2 rows)"}};
  for (const auto& c : cases) {
    auto rows = std::make_unique<History>();
    OpenedLog opened(rows.get(), c.pid);
    LogReader log(&opened);
    ASSERT_TRUE(log.Feed(text.data(), text.size()) && log.Finish()) << c.title;
    MapSession session;
    session.ShowLog(ZT("night.csv"), *rows, opened.Last(), opened.TrendMinutes(), 0, c.pid);
    EXPECT_EQ(rows->Readings(), c.rows) << c.title;
    const std::string figures = Narrow(session.FiguresText());
    EXPECT_EQ(figures.find("Virtual size: " + std::to_string(c.lastMb) + " MB"), 0u) << figures;
    EXPECT_NE(Narrow(session.Title()).find(c.title), std::string::npos) << Narrow(session.Title());
  }
}

TEST(MapSession, AnOpenedMapProposesItsOwnNameAndALiveReadingItsOwnAgain) {
  SessionRig rig;
  rig.Start(7);
  ZChar reason[kFollowErrorUnits];
  ASSERT_TRUE(rig.session->Follow(ZT("xtop.exe"), 0, reason));
  rig.Step(10);
  const std::string text = std::string(kMapCsvHeader) + "0x10000,4096,free,,0x0,0x0,\"\",\r\n";
  MapReader map;
  ASSERT_TRUE(map.Feed(text.data(), text.size()) && map.Finish());
  rig.session->ShowSavedMap(ZT("C:\\maps\\xtop-1234-20241201-101500.csv"), map);
  EXPECT_EQ(rig.SavedAs(), "xtop-1234-20241201-101500.csv 1");
  ASSERT_TRUE(rig.session->Follow(ZT("xtop.exe"), 0, reason));
  rig.Step(11);
  EXPECT_EQ(rig.SavedAs(), "xtop-7-20260102-140211.csv 2");
}

// What Explorer's Open with, a drop on the icon or a shortcut give: a file.
TEST(MapSession, AnArgumentWithAFoldersMarkOrEndingInCsvIsAFile) {
  for (const char* arg : {"C:\\logs\\a.csv", "a.csv", "A.CSV", ".\\xtop.exe", "logs/x"})
    EXPECT_TRUE(IsFileArgument(Z(arg).c_str())) << arg;
  for (const char* arg : {"xtop.exe", "csv", "1234"}) EXPECT_FALSE(IsFileArgument(Z(arg).c_str()));
}

// Narrow dots and backslashes, wide capitals, the rest in between.
class ProportionalFont : public TextMeasure {
 public:
  int Width(const ZChar* text, size_t units) override {
    int w = 0;
    for (size_t i = 0; i < units && text[i]; ++i)
      w += text[i] == '.' || text[i] == '\\' || text[i] == 'l' ? 3 : text[i] < 'a' ? 9 : 6;
    return w;
  }
};

// Two 1 MB stacks (threads 11 and 12), their blocks and the process block
// in 64 KB, then the executable and a DLL between two free pieces: what the
// map, its panels, its figures and a save say of who holds the space.
TEST(MapSession, NamesWhoHoldsThePrivateSpaceAndWhatKeepsTheFreeSpaceApart) {
  SessionRig rig;
  FakeProcess& p = rig.api.Add(7, Z("\\Device\\HarddiskVolume1\\cad\\xtop.exe"));
  p.header = ImageHeader(false);
  p.mappedFiles[0x400000] = Z("\\Device\\HarddiskVolume1\\cad\\xtop.exe");
  p.regions = {{0x10000, 0xF0000, kMemFree}};
  for (uint64_t stack : {0x100000, 0x200000}) {
    p.regions.push_back({stack, 0xFD000, kMemReserve, kMemPrivate, 0, stack});
    p.regions.push_back({stack + 0xFD000, 0x1000, kMemCommit, kMemPrivate, kPageGuard | 4, stack});
    p.regions.push_back({stack + 0xFE000, 0x2000, kMemCommit, kMemPrivate, 4, stack});
  }
  for (uint64_t at : {0x300000, 0x301000, 0x302000, 0x30E000})  // blocks 11 and 12, process's
    p.regions.push_back({at,
                         at == 0x302000   ? 0xC000u
                         : at == 0x30E000 ? 0x2000u
                                          : 0x1000u,
                         kMemCommit, kMemPrivate, 4, 0x300000});
  p.regions.push_back({0x310000, 0xF0000, kMemFree});
  p.regions.push_back({0x400000, 0x10000, kMemCommit, kMemImage, 2, 0x400000});
  p.mappedFiles[0x410000] = Z("\\Device\\HarddiskVolume1\\cad\\helper.dll");
  p.regions.push_back({0x410000, 0x10000, kMemCommit, kMemImage, 2, 0x410000});
  p.regions.push_back({0x420000, 0x7FBD0000, kMemFree});
  std::vector<uint8_t> blocks(0x10000, 0);
  auto put = [&blocks](uint32_t at, uint32_t value) { memcpy(&blocks[at], &value, 4); };
  put(0x0004, 0x200000), put(0x0008, 0x1FE000), put(0x0018, 0x300000);  // thread 11's block
  put(0x1004, 0x300000), put(0x1008, 0x2FE000), put(0x1018, 0x301000);  // thread 12's
  put(0xE008, 0x400000);  // the process block names the image base
  p.memory[0x300000] = blocks;
  p.threads = {{11, 0x300000, true}, {12, 0x301000, true}};
  p.processBlock = 0x30E000;
  ZChar reason[kFollowErrorUnits];
  ASSERT_TRUE(rig.session->Follow(ZT(""), 7, reason));
  rig.Step(10);

  const MapSession& s = *rig.session;
  ProportionalFont font;
  ZChar text[kPanelUnits];
  struct Cell {
    uint32_t cell;
    MapKind kind;
    const char* says;
  } cells[] = {{1, kMapStack, "stack of thread 11"},
               {2, kMapStack, "stack of thread 12"},
               {3, kMapUsableFree, "thread block of thread 12"},  // beside 960 KB free
               {3, kMapUsableFree, "process block"}};
  for (const Cell& c : cells) {
    EXPECT_EQ(s.Map().kind[c.cell], c.kind) << c.cell;
    CellPanel(s.Regions(), c.cell, font, 2000, text, kPanelUnits);
    EXPECT_NE(Narrow(text).find(c.says), std::string::npos) << Narrow(text);
  }
  ZChar legend[64];
  LegendLine(s.Map(), kMapStack, legend, 64);
  EXPECT_EQ(Narrow(legend), "thread stacks 2 MB");
  LargestPanel(s.Regions(), s.Figures().ceiling, font, 4000, text, kPanelUnits);
  const std::string side = Narrow(text);
  for (const char* line : {"\r\n2 thread stacks: 2 MB reserved, 0 MB committed\r\n",
                           "\r\nWhat keeps the space apart:\r\n0x00400000-0x0041FFFF, 128 KB: 2 "
                           "images: xtop.exe, helper.dll\r\n  without it: 2044 MB in one block\r\n"
                           "Still fits: 2043 thread stacks of 1 MB, 31 "})
    EXPECT_NE(side.find(line), std::string::npos) << side;
  // A narrower panel gives up names, last first, then ends the line in "..."
  // where the edge would cut it: no line is ever wider than the panel.
  const std::string run = "0x00400000-0x0041FFFF, 128 KB: 2 images: ";
  auto width = [&font](const std::string& line) {
    const ZString wide = Z(line.c_str());
    return font.Width(wide.c_str(), wide.size());
  };
  const int whole = width(run + "xtop.exe, helper.dll"), none = width(run + "...");
  struct Fitted {
    int width;
    std::string line;
  } fitted[] = {{whole, run + "xtop.exe, helper.dll"},
                {whole - 1, run + "xtop.exe, ..."},
                {none, run + "..."},
                {none - 1, "0x00400000-0x0041FFFF, 128 KB: 2 images:..."}};
  for (const Fitted& c : fitted) {
    LargestPanel(s.Regions(), s.Figures().ceiling, font, c.width, text, kPanelUnits);
    const std::string all = Narrow(text);
    const size_t at = all.find("0x00400000-0x0041FFFF, 128 KB: ");
    ASSERT_NE(at, std::string::npos) << all;
    EXPECT_EQ(all.substr(at, all.find("\r\n", at) - at), c.line) << c.width;
    for (const ZChar *from = text, *to; *from; from = *to ? to + 2 : to) {
      for (to = from; *to && *to != '\r';) ++to;
      EXPECT_LE(font.Width(from, to - from), c.width) << Narrow(ZString(from, to));
    }
  }
  EXPECT_NE(Narrow(s.FiguresText()).find("\r\nNot large-address-aware: the flag would raise"),
            std::string::npos)
      << Narrow(s.FiguresText());
  MapSnapshot saved;
  ASSERT_TRUE(s.Snapshot(&saved));
  const char* rows[] = {
      "0x00100000,1036288,reserve,private,0x0,0x00100000,\"thread 11\",stack\r\n",
      "0x00301000,4096,commit,private,0x4,0x00300000,\"thread 12\",thread block\r\n",
      "0x0030E000,8192,commit,private,0x4,0x00300000,\"\",process block\r\n"};
  const uint32_t at[] = {1, 8, 10};
  std::string csv = kMapCsvHeader;
  char ceiling[64];
  FormatCsvCeiling(saved.regions.Ceiling(), ceiling, sizeof ceiling);
  EXPECT_EQ(std::string(ceiling), "ceiling,2047,0x7FFEFFFF,1048576\r\n");
  csv += ceiling;
  for (uint32_t i = 0, shown = 0; i < saved.regions.Count(); ++i) {
    char row[256];
    const MapRegion& r = saved.regions.At(i);
    FormatCsvLine(r, r.state != kMemFree ? saved.regions.NameOf(r.allocationBase) : nullptr, row,
                  sizeof row);
    csv += row;
    if (shown < 3 && i == at[shown]) {
      EXPECT_EQ(std::string(row), rows[shown++]);
    }
  }
  // The saved map, opened, names the same holders, runs, what still fits
  // and usable figures.
  const std::string figures = Narrow(s.FiguresText());
  MapReader reader;
  reader.Feed(csv.data(), csv.size());
  ASSERT_TRUE(reader.Finish());
  rig.session->ShowSavedMap(ZT("xtop-7-20260102-140210.csv"), reader);
  LargestPanel(s.Regions(), s.Figures().ceiling, font, 4000, text, kPanelUnits);
  EXPECT_EQ(Narrow(text), side);
  const size_t from = figures.find("Largest usable"), to = figures.find("\r\nRegions");
  ASSERT_LT(from, to);
  EXPECT_NE(Narrow(s.FiguresText()).find(figures.substr(from, to - from)), std::string::npos)
      << Narrow(s.FiguresText());
  for (const Cell& c : cells) {
    CellPanel(s.Regions(), c.cell, font, 2000, text, kPanelUnits);
    EXPECT_NE(Narrow(text).find(c.says), std::string::npos) << Narrow(text);
  }
  LegendLine(s.Map(), kMapStack, legend, 64);
  EXPECT_EQ(Narrow(legend), "thread stacks 2 MB");
}

TEST(MapPanels, FitAPathToTheWidthByGivingUpItsMiddleNeverItsName) {
  const ZString path = Z("\\Device\\HarddiskVolume1\\cad\\plugins\\render.dll");
  struct Case {
    int width;
    const char* fitted;
  } cases[] = {
      {1000, "\\Device\\HarddiskVolume1\\cad\\plugins\\render.dll"},
      {160, "\\Device\\H...\\plugins\\render.dll"},
      {105, "...\\plugins\\render.dll"},  // the folder kept before the start
      {95, "\\Devi...\\render.dll"},
      {60, "...render.dll"},
      {30, "...r.dll"},
  };
  ProportionalFont font;
  for (const Case& c : cases) {
    ZChar out[kImagePathUnits];
    FitPath(font, path.c_str(), c.width, out, kImagePathUnits);
    EXPECT_EQ(Narrow(out), c.fitted) << c.width;
    EXPECT_LE(font.Width(out, ZLen(out)), std::max(c.width, font.Width(ZT("..."), 3)));
  }
  // A panel holds its heading and seven lines, each within the width.
  ZChar text[kPanelUnits];
  PanelText panel(font, 200, text, kPanelUnits, ZT("Largest allocations:"));
  int accepted = 0;
  for (int i = 0; i < 12; ++i) accepted += panel.Line(ZT("4 MB, 0 MB committed"), path.c_str());
  EXPECT_EQ(accepted, kPanelLines - 1);
  const std::string all = Narrow(text);
  for (size_t at = 0, end; at < all.size(); at = end + 2) {
    end = std::min(all.find("\r\n", at), all.size());
    const ZString line = Z(all.substr(at, end - at).c_str());
    EXPECT_LE(font.Width(line.c_str(), line.size()), 200) << all.substr(at, end - at);
  }
}

TEST(MapLayout, TheSmallestWindowKeepsEveryRowOfTheMapForAnyFont) {
  ProportionalFont font;  // the flag's line is the widest the figures hold
  const ZString flag =
      Z("Not large-address-aware: the flag would raise its ceiling from 2047 to 4095 MB");
  EXPECT_EQ(FiguresWidth(font), font.Width(flag.c_str(), flag.size()));
  for (int line : {13, 16, 24, 40}) {
    MapMetrics m;
    m.lineHeight = line, m.labelWidth = 5 * line, m.legendWidth = 12 * line;
    m.figuresWidth = 40 * line;
    int width = 0, height = 0;
    MinMapClient(m, &width, &height);
    const MapWindowLayout l = LayoutMapWindow(width, height, m);
    const MapLayout cells = LayoutMap(l.grid.right - l.grid.left, l.grid.bottom - l.grid.top,
                                      kMapMaxCells, m.labelWidth);
    EXPECT_GE(cells.cellHeight, kMapMinCellPixels) << line;
    EXPECT_GE(cells.cellWidth, kMapMinCellPixels) << line;
    EXPECT_LE(l.figures.right, l.legend.left) << line;
    EXPECT_GE(l.figures.right - l.figures.left, m.figuresWidth) << line;
    EXPECT_GE(l.cellPanel.top, l.grid.bottom) << line;
    EXPECT_EQ(l.cellPanel.bottom - l.cellPanel.top, kPanelLines * line) << line;
  }
}

}  // namespace
