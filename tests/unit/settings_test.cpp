#include <gtest/gtest.h>
#include <string.h>

#include "monitor/monitor_state.h"
#include "res/resource.h"
#include "settings/view_settings.h"
#include "support/settings_fakes.h"

namespace {

const std::string kKey = kZorvaneKeyPath;
const std::vector<std::string> kInfoNames = {"Manufacturer", "Webpage", "Version", "Info"};
// The nine settings values in the order the save writes them.
const std::vector<std::string> kSaveOrder = {"ALLWAYS ON TOP",
                                             "SHOW MEM-SCALE",
                                             "SHOW PROCESS INFO",
                                             "SHOW ZOR IN SYSTEM TRAY",
                                             "RESTORE PREVIOUS POSITION",
                                             "ZOR XPOS",
                                             "ZOR YPOS",
                                             "AUTO CONNECT TO PREV. PROCESS",
                                             "NAME OF PREV PROCESS"};

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // As at process start: all zero, no value names loaded yet.
    memset(&g_viewSettings, 0, sizeof g_viewSettings);
    memset(g_settingsValueNames, 0, sizeof g_settingsValueNames);
    memset(&g_monitor, 0, sizeof g_monitor);
    AddSettingsStrings(strings);
  }

  // A key as a previous close left it.
  void Store(uint32_t onTop, uint32_t memScale, uint32_t info, uint32_t tray, uint32_t restore,
             const std::string& name = "acad.exe") {
    reg.PutDword(kKey, "ALLWAYS ON TOP", onTop);
    reg.PutDword(kKey, "SHOW MEM-SCALE", memScale);
    reg.PutDword(kKey, "SHOW PROCESS INFO", info);
    reg.PutDword(kKey, "SHOW ZOR IN SYSTEM TRAY", tray);
    reg.PutDword(kKey, "RESTORE PREVIOUS POSITION", restore);
    reg.PutDword(kKey, "ZOR XPOS", 100);
    reg.PutDword(kKey, "ZOR YPOS", 200);
    reg.PutDword(kKey, "AUTO CONNECT TO PREV. PROCESS", 1);
    reg.PutText(kKey, "NAME OF PREV PROCESS", name);
  }
  void SetTarget(const std::string& name) {
    ZCopy(g_monitor.targetName, kTextUnits, Z(name.c_str()).c_str());
  }
  std::string PrevName() { return Narrow(g_viewSettings.previousProcessName); }
  uint32_t Dword(const std::string& name) {
    const RegValue* v = reg.Find(kKey, name);
    EXPECT_TRUE(v && v->type == kRegDword && v->data.size() == 4) << name;
    if (!v || v->data.size() != 4) return 0xDEADBEEF;
    return v->data[0] | v->data[1] << 8 | v->data[2] << 16 |
           static_cast<uint32_t>(v->data[3]) << 24;
  }
  void ExpectDefaults() {
    const ViewSettings& s = g_viewSettings;
    EXPECT_TRUE(s.alwaysOnTop);
    EXPECT_TRUE(s.showMemScale);
    EXPECT_TRUE(s.showProcessInfo);
    EXPECT_FALSE(s.trayMode);
    EXPECT_TRUE(s.restorePreviousPosition);
    EXPECT_TRUE(s.autoConnectPrevious);
    EXPECT_TRUE(s.defaultPlacement);
  }

  FakeStringTable strings;
  FakeRegistryApi reg;
};

TEST_F(SettingsTest, FirstRunCreatesKeyWritesInfoAndFallsBackThenCloseWritesAll) {
  g_viewSettings.windowX = 33;
  LoadViewSettings();
  ExpectDefaults();
  EXPECT_EQ(PrevName(), "");
  EXPECT_EQ(g_viewSettings.windowX, 33);
  ASSERT_GE(reg.calls.size(), 3u);
  EXPECT_EQ(reg.calls[0].op, RegOp::Open);
  EXPECT_FALSE(reg.calls[0].ok);
  EXPECT_EQ(reg.calls[1].op, RegOp::Create);
  EXPECT_EQ(reg.calls[1].path, kKey);
  EXPECT_EQ(reg.calls[2].op, RegOp::Close);
  EXPECT_EQ(reg.Names(RegOp::Set), kInfoNames);
  EXPECT_EQ(reg.Names(RegOp::Query), std::vector<std::string>{"ALLWAYS ON TOP"});
  EXPECT_EQ(reg.keys[kKey].size(), 4u);

  SetTarget("-");
  reg.calls.clear();
  SaveViewSettings();
  EXPECT_EQ(reg.Names(RegOp::Set), kSaveOrder);
  EXPECT_EQ(reg.keys[kKey].size(), 13u);
  EXPECT_EQ(reg.OpenHandles(), 0u);
}

TEST_F(SettingsTest, StoredValuesLoad) {
  Store(0, 0, 0, 1, 1);
  reg.PutDword(kKey, "ZOR YPOS", 0xFFFFFF00);  // -256
  LoadViewSettings();
  const ViewSettings& s = g_viewSettings;
  EXPECT_FALSE(s.alwaysOnTop);
  EXPECT_FALSE(s.showMemScale);
  EXPECT_FALSE(s.showProcessInfo);
  EXPECT_TRUE(s.trayMode);
  EXPECT_TRUE(s.restorePreviousPosition);
  EXPECT_TRUE(s.autoConnectPrevious);
  EXPECT_FALSE(s.defaultPlacement);
  EXPECT_EQ(s.windowX, 100);
  EXPECT_EQ(s.windowY, -256);
  EXPECT_EQ(PrevName(), "acad.exe");
  EXPECT_EQ(reg.Names(RegOp::Query),
            (std::vector<std::string>{"ALLWAYS ON TOP", "SHOW MEM-SCALE", "SHOW PROCESS INFO",
                                      "SHOW ZOR IN SYSTEM TRAY", "RESTORE PREVIOUS POSITION",
                                      "ZOR XPOS", "ZOR YPOS", "AUTO CONNECT TO PREV. PROCESS",
                                      "NAME OF PREV PROCESS"}));
  EXPECT_EQ(reg.calls.front().op, RegOp::Open);  // the key existed: not created
  EXPECT_TRUE(reg.calls.front().ok);
  EXPECT_TRUE(reg.Names(RegOp::Create).empty());
}

TEST_F(SettingsTest, RestoreOffNeedsNoPosition) {
  Store(1, 0, 1, 0, 0);
  reg.keys[kKey].erase("ZOR XPOS");
  reg.keys[kKey].erase("ZOR YPOS");
  g_viewSettings.windowX = 5;
  g_viewSettings.windowY = 7;
  LoadViewSettings();
  EXPECT_FALSE(g_viewSettings.defaultPlacement);
  EXPECT_FALSE(g_viewSettings.restorePreviousPosition);
  EXPECT_FALSE(g_viewSettings.showMemScale);
  EXPECT_EQ(g_viewSettings.windowX, 5);
  EXPECT_EQ(g_viewSettings.windowY, 7);
  for (const std::string& n : reg.Names(RegOp::Query)) EXPECT_NE(n.substr(0, 7), "ZOR XPO");
  for (const std::string& n : reg.Names(RegOp::Query)) EXPECT_NE(n.substr(0, 7), "ZOR YPO");
}

TEST_F(SettingsTest, AnyFailedReadRestoresEveryDefault) {
  // Y missing after X was read: X keeps the fresh value, all else defaults.
  Store(0, 0, 0, 1, 1);
  reg.keys[kKey].erase("ZOR YPOS");
  ZCopy(g_viewSettings.previousProcessName, kTextUnits, ZT("stale.exe"));
  LoadViewSettings();
  ExpectDefaults();
  EXPECT_EQ(g_viewSettings.windowX, 100);
  EXPECT_EQ(PrevName(), "");

  // Restore off read, then a later read fails: restore comes back on.
  Store(0, 0, 0, 0, 0);
  reg.keys[kKey].erase("AUTO CONNECT TO PREV. PROCESS");
  LoadViewSettings();
  ExpectDefaults();

  // A failing query (not a missing value) falls back the same way.
  Store(0, 0, 0, 0, 1);
  reg.failWhen = [](const RegCall& c) {
    return c.op == RegOp::Query && c.name == "SHOW MEM-SCALE";
  };
  LoadViewSettings();
  ExpectDefaults();
  EXPECT_EQ(reg.OpenHandles(), 0u);
}

TEST_F(SettingsTest, FlagsAreNonzeroOnAndSavedAsZeroOrOne) {
  Store(7, 0x100, 0, 0, 1);
  reg.PutDword(kKey, "AUTO CONNECT TO PREV. PROCESS", 0);
  LoadViewSettings();
  EXPECT_TRUE(g_viewSettings.alwaysOnTop);
  EXPECT_TRUE(g_viewSettings.showMemScale);
  EXPECT_FALSE(g_viewSettings.showProcessInfo);
  EXPECT_TRUE(g_viewSettings.autoConnectPrevious);
  SaveViewSettings();
  EXPECT_EQ(Dword("ALLWAYS ON TOP"), 1u);
  EXPECT_EQ(Dword("SHOW MEM-SCALE"), 1u);
  EXPECT_EQ(Dword("SHOW PROCESS INFO"), 0u);
  EXPECT_EQ(Dword("AUTO CONNECT TO PREV. PROCESS"), 1u);
}

TEST_F(SettingsTest, PositionsRoundTripAsTwosComplement) {
  Store(1, 1, 1, 0, 1);
  LoadViewSettings();
  g_viewSettings.windowX = -1200;
  g_viewSettings.windowY = INT32_MIN;
  SaveViewSettings();
  EXPECT_EQ(reg.Find(kKey, "ZOR XPOS")->data, (std::vector<uint8_t>{0x50, 0xFB, 0xFF, 0xFF}));
  EXPECT_EQ(Dword("ZOR YPOS"), 0x80000000u);
  g_viewSettings.windowX = g_viewSettings.windowY = 0;
  LoadViewSettings();
  EXPECT_EQ(g_viewSettings.windowX, -1200);
  EXPECT_EQ(g_viewSettings.windowY, INT32_MIN);
}

TEST_F(SettingsTest, StoredNamesUpTo128BytesLoad) {
  for (size_t len : {1u, 32u, 33u, 63u, 64u}) {
    Store(1, 1, 1, 0, 1, std::string(len, 'n'));
    LoadViewSettings();
    EXPECT_FALSE(g_viewSettings.defaultPlacement) << len;
    EXPECT_EQ(PrevName(), std::string(len, 'n'));
  }
  EXPECT_EQ(reg.calls.back().op, RegOp::Close);
  // The room offered for the name is 128 bytes.
  for (const RegCall& c : reg.calls) {
    if (c.op != RegOp::Query) continue;
    EXPECT_EQ(c.bytes, c.name == "NAME OF PREV PROCESS" ? 128u : 4u);
  }

  // What the tool saves with the longest target it holds loads back.
  SetTarget(std::string(70, 'w'));  // held as 63
  SaveViewSettings();
  LoadViewSettings();
  EXPECT_EQ(PrevName(), std::string(63, 'w'));
}

TEST_F(SettingsTest, NameTooLongFallsBackAndLeavesNameEmpty) {
  Store(0, 0, 0, 0, 1, std::string(65, 'n'));
  LoadViewSettings();
  ExpectDefaults();
  EXPECT_EQ(PrevName(), "");  // not the junk the failed read left
  Store(0, 0, 0, 0, 1, std::string(64, 'n'));
  reg.PutText(kKey, "NAME OF PREV PROCESS", std::string(64, 'n'), true);  // 130 bytes
  LoadViewSettings();
  ExpectDefaults();
  EXPECT_EQ(PrevName(), "");
}

TEST_F(SettingsTest, NamesWrittenByOthersStayTerminated) {
  Store(1, 1, 1, 0, 1);
  reg.PutText(kKey, "NAME OF PREV PROCESS", std::string(31, 't'), true);
  LoadViewSettings();
  EXPECT_EQ(PrevName(), std::string(31, 't'));

  // An odd byte count: the half unit is dropped.
  memset(g_viewSettings.previousProcessName, 0x41, sizeof g_viewSettings.previousProcessName);
  std::vector<uint8_t> odd = TextBytes("abc");
  odd.push_back('d');
  reg.PutBytes(kKey, "NAME OF PREV PROCESS", kRegSz, odd);
  LoadViewSettings();
  EXPECT_EQ(PrevName(), "abc");

  // Exactly 128 bytes into a buffer full of junk.
  memset(g_viewSettings.previousProcessName, 0x41, sizeof g_viewSettings.previousProcessName);
  reg.PutText(kKey, "NAME OF PREV PROCESS", std::string(64, 'x'));
  LoadViewSettings();
  EXPECT_EQ(PrevName(), std::string(64, 'x'));

  // "-" saved while idle loads without error; an empty one too.
  for (const char* name : {"-", ""}) {
    reg.PutText(kKey, "NAME OF PREV PROCESS", name);
    LoadViewSettings();
    EXPECT_FALSE(g_viewSettings.defaultPlacement);
    EXPECT_EQ(PrevName(), name);
  }
}

TEST_F(SettingsTest, ProductInfoIsRewrittenAndItsFailureFallsBack) {
  Store(0, 0, 0, 0, 1);
  LoadViewSettings();
  reg.keys[kKey].erase("Info");
  reg.calls.clear();
  LoadViewSettings();
  EXPECT_FALSE(g_viewSettings.defaultPlacement);
  ASSERT_NE(reg.Find(kKey, "Info"), nullptr);
  EXPECT_EQ(reg.Find(kKey, "Info")->data, TextBytes("Simple and free process viewer."));
  EXPECT_EQ(reg.Find(kKey, "Manufacturer")->data, TextBytes("Quandril Software 2026"));
  EXPECT_EQ(reg.Find(kKey, "Webpage")->data,
            TextBytes("http://www.quandrilsoftware.example/zorvane"));
  EXPECT_EQ(reg.Find(kKey, "Version")->data, TextBytes("Zorvane Version 1.2."));
  EXPECT_EQ(reg.Find(kKey, "Version")->type, kRegSz);

  // A failed write stops there: nothing after it, no settings read.
  reg.calls.clear();
  reg.failWhen = [](const RegCall& c) { return c.op == RegOp::Set && c.name == "Webpage"; };
  EXPECT_FALSE(WriteProductInfo());
  EXPECT_EQ(reg.Names(RegOp::Set), (std::vector<std::string>{"Manufacturer", "Webpage"}));
  reg.calls.clear();
  LoadViewSettings();
  ExpectDefaults();
  EXPECT_TRUE(reg.Names(RegOp::Query).empty());
}

TEST_F(SettingsTest, KeyThatCannotBeMadeLeavesDefaultsAndSaveCreatesNothing) {
  reg.failWhen = [](const RegCall& c) { return c.op == RegOp::Create; };
  LoadViewSettings();
  ExpectDefaults();
  EXPECT_TRUE(reg.Names(RegOp::Set).empty());
  SaveViewSettings();
  EXPECT_TRUE(reg.keys.empty());
  EXPECT_TRUE(reg.Names(RegOp::Set).empty());
}

TEST_F(SettingsTest, KeyIsOpenedAndClosedAroundEveryValue) {
  Store(1, 1, 1, 0, 1);
  reg.failWhen = [](const RegCall& c) { return c.op == RegOp::Set && c.name == "ZOR XPOS"; };
  LoadViewSettings();
  SaveViewSettings();
  EXPECT_EQ(reg.OpenHandles(), 0u);
  size_t values = 0;
  for (size_t i = 0; i < reg.calls.size(); ++i) {
    const RegCall& c = reg.calls[i];
    if (c.op != RegOp::Query && c.op != RegOp::Set) continue;
    ++values;
    ASSERT_TRUE(i > 0 && i + 1 < reg.calls.size());
    EXPECT_EQ(reg.calls[i - 1].op, RegOp::Open) << c.name;
    EXPECT_TRUE(reg.calls[i - 1].ok);
    EXPECT_EQ(reg.calls[i + 1].op, RegOp::Close) << c.name;
    EXPECT_TRUE(c.ok || c.name == "ZOR XPOS");
  }
  EXPECT_EQ(values, 4u + 9u + 9u);
  // The failed write did not stop the ones after it.
  EXPECT_EQ(reg.Names(RegOp::Set).back(), "NAME OF PREV PROCESS");
}

TEST_F(SettingsTest, SaveBeforeAnyLoadWritesNothing) {
  ResetViewSettings();
  SetTarget("acad.exe");
  SaveViewSettings();
  EXPECT_TRUE(reg.calls.empty());
  EXPECT_TRUE(reg.keys.empty());
}

TEST_F(SettingsTest, SavedBytesAreExact) {
  Store(1, 1, 1, 0, 1);
  LoadViewSettings();
  g_viewSettings.trayMode = true;
  SetTarget("xtop.exe");
  SaveViewSettings();
  for (size_t i = 0; i < 8; ++i) {
    const RegValue* v = reg.Find(kKey, kSaveOrder[i]);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, kRegDword) << kSaveOrder[i];
    EXPECT_EQ(v->data.size(), 4u) << kSaveOrder[i];
  }
  EXPECT_EQ(reg.Find(kKey, "SHOW ZOR IN SYSTEM TRAY")->data, DwordBytes(1));
  EXPECT_EQ(reg.Find(kKey, "ZOR YPOS")->data, (std::vector<uint8_t>{200, 0, 0, 0}));
  const RegValue* name = reg.Find(kKey, "NAME OF PREV PROCESS");
  EXPECT_EQ(name->type, kRegSz);
  EXPECT_EQ(name->data, TextBytes("xtop.exe"));  // 16 bytes, no terminator

  SetTarget("");
  SaveViewSettings();
  EXPECT_TRUE(reg.Find(kKey, "NAME OF PREV PROCESS")->data.empty());
  EXPECT_EQ(reg.calls[reg.calls.size() - 2].bytes, 0u);
}

TEST_F(SettingsTest, ResetLeavesPositionAndName) {
  g_viewSettings.windowX = -4;
  g_viewSettings.windowY = 9;
  g_viewSettings.trayMode = true;
  g_viewSettings.defaultPlacement = true;
  ZCopy(g_viewSettings.previousProcessName, kTextUnits, ZT("a.exe"));
  ResetViewSettings();
  EXPECT_FALSE(g_viewSettings.trayMode);
  EXPECT_FALSE(g_viewSettings.defaultPlacement);
  EXPECT_EQ(g_viewSettings.windowX, -4);
  EXPECT_EQ(g_viewSettings.windowY, 9);
  EXPECT_EQ(PrevName(), "a.exe");
}

TEST_F(SettingsTest, ValueOperationsBoundWhatTheyReadAndWrite) {
  ZString keyPath = Z(kZorvaneKeyPath);
  const ZChar* key = keyPath.c_str();
  reg.keys[kKey];
  uint32_t v = 0xFFFFFFFF;
  // Shorter data is zero-extended; longer data fails and leaves the variable.
  reg.PutBytes(kKey, "short", kRegSz, {0x31, 0x00});
  EXPECT_TRUE(ReadDwordValue(key, ZT("short"), &v));
  EXPECT_EQ(v, 0x31u);
  reg.PutBytes(kKey, "long", kRegDword, {1, 2, 3, 4, 5});
  EXPECT_FALSE(ReadDwordValue(key, ZT("long"), &v));
  EXPECT_EQ(v, 0x31u);

  // A text longer than the store writes is cut.
  std::string big(300, 'b');
  EXPECT_TRUE(WriteStringValue(key, ZT("big"), Z(big.c_str()).c_str()));
  EXPECT_EQ(reg.Find(kKey, "big")->data.size(), 2u * (kSettingsTextUnits - 1));

  // A small buffer: the room is what it holds less the terminator.
  ZChar small[4];
  reg.PutText(kKey, "t", "abc");
  EXPECT_TRUE(ReadStringValue(key, ZT("t"), small, 4));
  EXPECT_EQ(Narrow(small), "abc");
  reg.PutText(kKey, "t", "abcd");
  EXPECT_FALSE(ReadStringValue(key, ZT("t"), small, 4));
  EXPECT_EQ(Narrow(small), "");

  // Empty paths and names never reach the store (the root, the unnamed value).
  reg.calls.clear();
  EXPECT_FALSE(WriteDwordValue(ZT(""), ZT("x"), 1));
  EXPECT_FALSE(WriteStringValue(key, ZT(""), ZT("x")));
  EXPECT_FALSE(ReadDwordValue(key, ZT(""), &v));
  EXPECT_FALSE(ReadStringValue(ZT(""), ZT("t"), small, 4));
  EXPECT_TRUE(reg.calls.empty());
}

TEST_F(SettingsTest, OverlongStringsAreCutToTheirBuffers) {
  reg.keys[kKey];
  strings.strings[IDS_INFO] = Z(std::string(200, 'i').c_str());
  EXPECT_TRUE(WriteProductInfo());
  EXPECT_EQ(reg.Find(kKey, "Info")->data, TextBytes(std::string(kSettingsTextUnits - 1, 'i')));
  strings.strings[IDS_KEY_PATH] = Z(("Software\\" + std::string(200, 'k')).c_str());
  LoadViewSettings();
  EXPECT_EQ(reg.calls.back().path.size(), kSettingsTextUnits - 1u);
}

}  // namespace
