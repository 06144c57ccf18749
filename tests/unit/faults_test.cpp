// Every fallible platform call the logic makes, failing in turn: each
// failure ends in the defined result, and every handle, key, pen, bitmap and
// context is released on that path too.
#include <gtest/gtest.h>
#include <string.h>

#include "meter/draw.h"
#include "meter/gauge.h"
#include "meter/scale_strip.h"
#include "monitor/monitor_state.h"
#include "monitor/proclist.h"
#include "monitor/vsize.h"
#include "res/resource.h"
#include "settings/view_settings.h"
#include "support/fault_fakes.h"

namespace {

// Runs run(n) for n = 0, 1, ... until a run in which no call failed (run
// returns whether one did); returns the number of failure points.
template <class Run>
int EveryFailure(Run run) {
  for (int n = 0; n < 5000; ++n)
    if (!run(n)) return n;
  ADD_FAILURE() << "the scenario never ran without a failure";
  return -1;
}

ZString Path(const char* name) { return Z("\\Device\\HarddiskVolume1\\bin\\") + Z(name); }

// Three processes, two running the same image; one may be unreadable.
void AddSystem(FakeProcessApi& api, uint32_t hidden = 0) {
  api.Add(4, Path("explorer.exe"));
  api.Add(8, Path("xtop.exe")).regions = {{0x10000, 0x100000, kMemCommit},
                                          {0x110000, 0x7FEF0000, kMemFree}};
  api.Add(12, Path("xtop.exe")).regions = {{0x10000, 0x200000, kMemCommit},
                                           {0x210000, 0x7FDF0000, kMemFree}};
  if (FakeProcess* p = api.Find(hidden)) p->openable = false;
}

std::string Text(ZChar* text) {
  std::string out = text ? Narrow(text) : "<none>";
  ZFree(text);
  return out;
}
std::string ListText() { return Text(BuildProcessListText()); }
std::string Record() { return Text(FormatProcessRecord(8)); }
std::string Found() { return std::to_string(FindProcessByImageName(ZT("xtop.exe"))); }

TEST(ProcessFaults, AFailedQueryMeasuresWhatWasSummedBefore) {
  const uint32_t kWhole = (0x100000 + 0x200000 + 0x400000) >> 10;
  // Open, exit code, then one query per region.
  const uint32_t expected[] = {0, 0, 0, 0x100000 >> 10, (0x100000 + 0x200000) >> 10, kWhole, kWhole};
  int points = EveryFailure([&](int n) {
    FailingProcessApi api;
    ResetSystemInfoCache();
    api.Add(8, Path("xtop.exe")).regions = {{0x10000, 0x100000, kMemCommit},
                                            {0x110000, 0x200000, kMemReserve},
                                            {0x310000, 0x400000, kMemCommit},
                                            {0x710000, 0x7F8F0000, kMemFree}};
    api.fail.failAt = n;
    EXPECT_EQ(QueryProcessVirtualSize(8), expected[n < 6 ? n : 6]) << n;
    EXPECT_EQ(api.OpenHandles(), 0u) << n;
    return api.fail.hit;
  });
  EXPECT_EQ(points, 6);
}

TEST(ProcessFaults, ListingAndLookupSkipTheProcessWhoseCallFailed) {
  for (std::string (*op)() : {ListText, Record, Found}) {
    int points = EveryFailure([op](int n) {
      std::string got;
      uint32_t failedPid;
      bool hit;
      {
        FailingProcessApi api;
        AddSystem(api);
        api.fail.failAt = n;
        got = op();
        EXPECT_EQ(api.OpenHandles(), 0u) << n;
        hit = api.fail.hit;
        failedPid = hit ? api.failedPid : 0;
      }
      if (failedPid == FailingProcessApi::kListFailed) {
        EXPECT_TRUE(got == "<none>" || got == "0") << n << ": " << got;
      } else {
        // As if the process whose call failed could not be read.
        FakeProcessApi reference;
        AddSystem(reference, failedPid);
        EXPECT_EQ(got, op()) << n;
      }
      return hit;
    });
    EXPECT_GE(points, 3);  // open, module list, image path at least
  }
}

class MonitorFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    memset(&g_monitor, 0, sizeof g_monitor);
    ResetSystemInfoCache();
    ResetViewSettings();
  }
  void TearDown() override { ReleaseMonitorTexts(); }
  FakeSystemApi system;
  FakeStringTable strings;
  RecordingDisplay display;
};

TEST_F(MonitorFaults, AFailedCallNeverLosesTheAwaitedName) {
  EveryFailure([&](int n) {
    SetUp();
    FailingProcessApi api;
    AddSystem(api);
    ZCopy(g_monitor.targetName, kTextUnits, ZT("xtop.exe"));
    g_monitor.waiting = true;
    api.fail.failAt = n;
    TickMonitor(kMonitorTimerId);
    EXPECT_EQ(api.OpenHandles(), 0u) << n;
    EXPECT_EQ(Narrow(g_monitor.targetName), "xtop.exe") << n;
    EXPECT_TRUE(g_monitor.waiting) << n;
    if (g_monitor.connected) {
      // Found and measured; the second process when the first was unreadable.
      EXPECT_EQ(g_monitor.sizeMb, g_monitor.targetPid == 8 ? 1u : 2u) << n;
    } else {
      EXPECT_EQ(g_monitor.targetPid, 0u) << n;
      EXPECT_EQ(Narrow(g_monitor.pidText), "-") << n;
      EXPECT_EQ(Narrow(g_monitor.mbText), "0") << n;
    }
    // The next tick finds it again.
    bool hit = api.fail.hit;
    api.fail.failAt = -1;
    TickMonitor(kMonitorTimerId);
    EXPECT_TRUE(g_monitor.connected) << n;
    EXPECT_NE(g_monitor.targetPid, 0u) << n;
    EXPECT_EQ(api.OpenHandles(), 0u) << n;
    TearDown();
    return hit;
  });
}

const std::string kKey = kZorvaneKeyPath;
const char* const kValues[] = {"ALLWAYS ON TOP", "SHOW MEM-SCALE", "SHOW PROCESS INFO",
                               "SHOW ZOR IN SYSTEM TRAY", "RESTORE PREVIOUS POSITION",
                               "ZOR XPOS", "ZOR YPOS", "AUTO CONNECT TO PREV. PROCESS"};

class SettingsFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    memset(&g_viewSettings, 0, sizeof g_viewSettings);
    memset(g_settingsValueNames, 0, sizeof g_settingsValueNames);
    memset(&g_monitor, 0, sizeof g_monitor);
    AddSettingsStrings(strings);
  }
  // Every flag off its default, so that a fallback shows; the auto-connect
  // value only needs to be there, and the save writes it as 1.
  void Store(FakeRegistryApi& reg, const char* name = "acad.exe") {
    const uint32_t numbers[] = {0, 0, 0, 1, 1, static_cast<uint32_t>(-1200), 300, 0};
    for (int i = 0; i < 8; ++i) reg.PutDword(kKey, kValues[i], numbers[i]);
    reg.PutText(kKey, "NAME OF PREV PROCESS", name);
  }
  FakeStringTable strings;
};

TEST_F(SettingsFaults, AFailedCallFallsBackToTheDefaultsWhole) {
  int points = EveryFailure([&](int n) {
    SetUp();
    FakeRegistryApi reg;
    Store(reg);
    FailNth fail;
    fail.failAt = n;
    FailNthRegistryCall(reg, fail);
    LoadViewSettings();
    EXPECT_EQ(reg.OpenHandles(), 0u) << n;
    const ViewSettings& s = g_viewSettings;
    // The first call is the key's test: creating it instead serves as well.
    if (!fail.hit || n == 0) {
      EXPECT_FALSE(s.defaultPlacement) << n;
      EXPECT_FALSE(s.alwaysOnTop || s.showMemScale || s.showProcessInfo) << n;
      EXPECT_TRUE(s.trayMode) << n;
      EXPECT_EQ(s.windowX, -1200) << n;
      EXPECT_EQ(Narrow(s.previousProcessName), "acad.exe") << n;
    } else {
      EXPECT_TRUE(s.defaultPlacement) << n;
      EXPECT_TRUE(s.alwaysOnTop && s.showMemScale && s.showProcessInfo && !s.trayMode &&
                  s.restorePreviousPosition && s.autoConnectPrevious)
          << n;
      EXPECT_EQ(Narrow(s.previousProcessName), "") << n;
    }
    return fail.hit;
  });
  // The key's test, then four product values, eight numbers and the name,
  // each an open and a query or set.
  EXPECT_EQ(points, 1 + 2 * (4 + 8 + 1));
}

TEST_F(SettingsFaults, FirstRunWritesTheProductValuesUpToAFailedOne) {
  EveryFailure([&](int n) {
    SetUp();
    FakeRegistryApi reg;
    FailNth fail;
    fail.failAt = n;
    FailNthRegistryCall(reg, fail);
    LoadViewSettings();
    EXPECT_EQ(reg.OpenHandles(), 0u) << n;
    EXPECT_TRUE(g_viewSettings.defaultPlacement) << n;
    // Created unless that failed; then the four values in order, stopping
    // at the first that cannot be written.
    EXPECT_EQ(reg.keys.count(kKey), n == 0 ? 0u : 1u) << n;
    size_t written = reg.keys.count(kKey) ? reg.keys[kKey].size() : 0;
    EXPECT_EQ(written, fail.hit ? (n > 0 ? static_cast<size_t>(n - 1) / 2 : 0) : 4u) << n;
    return fail.hit;
  });
}

TEST_F(SettingsFaults, AFailedWriteOfTheSaveKeepsThatValueOnlyAsItWas) {
  int points = EveryFailure([&](int n) {
    SetUp();
    FakeRegistryApi reg;
    Store(reg, "old.exe");
    LoadViewSettings();
    EXPECT_FALSE(g_viewSettings.defaultPlacement);
    auto before = reg.keys[kKey];
    ViewSettings& s = g_viewSettings;
    s.alwaysOnTop = s.showMemScale = s.showProcessInfo = true;
    s.trayMode = s.restorePreviousPosition = false;
    s.windowX = 17;
    s.windowY = -3;
    ZCopy(g_monitor.targetName, kTextUnits, ZT("new.exe"));
    FailNth fail;
    fail.failAt = n;
    FailNthRegistryCall(reg, fail);
    SaveViewSettings();
    EXPECT_EQ(reg.OpenHandles(), 0u) << n;
    int kept = 0, changed = 0;
    for (const auto& kv : reg.keys[kKey]) {
      if (before.count(kv.first) && before[kv.first].data == kv.second.data)
        ++kept;
      else
        ++changed;
    }
    // Four product values (not written by the save) plus the failed one.
    EXPECT_EQ(kept, fail.hit ? 5 : 4) << n;
    EXPECT_EQ(changed, fail.hit ? 8 : 9) << n;
    return fail.hit;
  });
  EXPECT_EQ(points, 2 * 9);
}

TEST_F(SettingsFaults, AStringThatCannotBeLoadedNeverAddressesTheRootOrAnUnnamedValue) {
  EveryFailure([&](int n) {
    SetUp();
    FailingStringTable table;
    AddSettingsStrings(table);
    FakeRegistryApi reg;
    Store(reg);
    table.fail.failAt = n;
    LoadViewSettings();
    // Without a name or the key's path nothing can be read; an informational
    // text that cannot be loaded is written empty.
    bool infoText = table.failedId >= IDS_MANUFACTURER && table.failedId <= IDS_INFO;
    EXPECT_EQ(!g_viewSettings.defaultPlacement, !table.fail.hit || infoText) << n;
    ZCopy(g_monitor.targetName, kTextUnits, ZT("new.exe"));
    SaveViewSettings();
    EXPECT_EQ(reg.OpenHandles(), 0u) << n;
    for (const RegCall& c : reg.calls) {
      EXPECT_NE(c.path, "") << n;
      if (c.op == RegOp::Query || c.op == RegOp::Set) {
        EXPECT_NE(c.name, "") << n;
      }
    }
    return table.fail.hit;
  });
}

class GdiFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    memset(GaugeTable, 0, sizeof GaugeTable);
    g_labelTextHeight = 0;
  }
  static void ExpectClean(const FakeGdi& gdi, int n) {
    EXPECT_TRUE(gdi.errors.empty()) << n << ": " << gdi.errors.front();
    EXPECT_EQ(gdi.LiveObjects(), 0) << n;
    EXPECT_EQ(gdi.LiveMemoryDcs(), 0) << n;
    EXPECT_EQ(gdi.HeldWindowDcs(), 0) << n;
  }
};

TEST_F(GdiFaults, GaugeSurvivesAnyFailedCreationAndRebuildsWhole) {
  int points = EveryFailure([&](int n) {
    SetUp();
    FailingGdi gdi;
    MeterGauge g;
    memset(&g, 0, sizeof g);
    g.window = gdi.AddWindow(6, 12);
    g.threshold = 0.7;
    g.maximum = 100;
    gdi.fail.failAt = n;
    AttachGauge(&g);
    g.value = 50;
    UpdateGaugeValue(&g);
    g.maximum = 200;
    UpdateGaugeRange(&g);
    g.value = 150;
    UpdateGaugeValue(&g);
    bool hit = gdi.fail.hit;

    // The next range change builds the buffer again, with nothing failing.
    gdi.fail.failAt = -1;
    g.maximum = 300;
    UpdateGaugeRange(&g);
    g.value = 300;
    UpdateGaugeValue(&g);
    for (int y = 0; y < 12; ++y)
      EXPECT_NE(gdi.WindowPixel(g.window, 0, y), FakeGdi::kStaticBackground) << n << " row " << y;

    DetachGauge(&g);
    ExpectClean(gdi, n);
    EXPECT_EQ(gdi.Procedure(g.window), FakeGdi::StaticProc()) << n;
    for (MeterGauge* entry : GaugeTable) EXPECT_EQ(entry, nullptr) << n;
    return hit;
  });
  EXPECT_GT(points, 24);  // two buffers of 12 ramp rows, and more
}

TEST_F(GdiFaults, ScaleStripDrawsWhatItCanAndFreesEveryPen) {
  FakeSystemApi system;
  memset(&g_monitor, 0, sizeof g_monitor);
  g_monitor.limitMb = 2047;
  ResetViewSettings();
  g_viewSettings.showMemScale = true;
  g_scaleStripPreviousProc = FakeGdi::StaticProc();
  int points = EveryFailure([&](int n) {
    SetUp();
    FailingGdi gdi;
    WindowHandle strip = gdi.AddWindow(60, 216, gdi.AddFont(13, 0));
    gdi.fail.failAt = n;
    HandleScaleStripMessage(strip, kWmPaint, 0, 0);
    ExpectClean(gdi, n);
    // All six labels, unless the window's context could not be had.
    if (gdi.texts.size() != 6) {
      EXPECT_EQ(gdi.texts.size(), 0u) << n;
    }
    bool hit = gdi.fail.hit;

    // A failed measurement of the label font is made good at the next paint.
    gdi.fail.failAt = -1;
    gdi.texts.clear();
    HandleScaleStripMessage(strip, kWmPaint, 0, 0);
    EXPECT_EQ(g_labelTextHeight, 13) << n;
    EXPECT_EQ(gdi.texts.size(), 6u) << n;
    if (!gdi.texts.empty()) {
      EXPECT_EQ(Narrow(gdi.texts[0].text), "2.00") << n;
    }
    ExpectClean(gdi, n);
    return hit;
  });
  EXPECT_GT(points, 6 * 2);  // two pens per mark, and more
}

}  // namespace
