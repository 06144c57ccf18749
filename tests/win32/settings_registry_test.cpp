// The settings store against the real registry, under a key of its own so
// that the program's key is never touched.
#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>

#include <string>

#include "monitor/monitor_state.h"
#include "res/resource.h"
#include "settings/view_settings.h"
#include "support/settings_fakes.h"

namespace {

const wchar_t kTestKey[] = L"Software\\QuandrilSoftware\\ZorvaneTest\\";

class SettingsRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = SetRegistryApi(PlatformRegistryApi());
    AddSettingsStrings(strings, "Software\\QuandrilSoftware\\ZorvaneTest\\");
    memset(&g_viewSettings, 0, sizeof g_viewSettings);
    memset(g_settingsValueNames, 0, sizeof g_settingsValueNames);
    memset(&g_monitor, 0, sizeof g_monitor);
    DeleteKey();
  }
  void TearDown() override {
    DeleteKey();
    SetRegistryApi(previous_);
  }
  static void DeleteKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuandrilSoftware\\ZorvaneTest");
  }
  static bool KeyExists() {
    HKEY h;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
  }
  // The value's type, and its data as text or number; type 0 when missing.
  static DWORD Value(const wchar_t* name, std::wstring* text, DWORD* number) {
    BYTE data[512] = {};
    DWORD type = 0, bytes = sizeof data - 2;
    if (RegGetValueW(HKEY_CURRENT_USER, kTestKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, data,
                     &bytes) != ERROR_SUCCESS)
      return 0;
    if (text) *text = reinterpret_cast<const wchar_t*>(data);
    if (number) memcpy(number, data, sizeof *number);
    return type;
  }
  static std::wstring Text(const wchar_t* name) {
    std::wstring t;
    EXPECT_EQ(Value(name, &t, nullptr), static_cast<DWORD>(REG_SZ)) << name;
    return t;
  }
  static DWORD Number(const wchar_t* name) {
    DWORD n = 0xDEADBEEF;
    EXPECT_EQ(Value(name, nullptr, &n), static_cast<DWORD>(REG_DWORD)) << name;
    return n;
  }

  FakeStringTable strings;

 private:
  RegistryApi* previous_ = nullptr;
};

TEST_F(SettingsRegistry, FirstRunCreatesTheKeyAndWritesTheProductInfo) {
  ASSERT_FALSE(KeyExists());
  LoadViewSettings();
  ASSERT_TRUE(KeyExists());
  EXPECT_TRUE(g_viewSettings.defaultPlacement);
  EXPECT_TRUE(g_viewSettings.alwaysOnTop);
  EXPECT_EQ(g_viewSettings.previousProcessName[0], 0);
  EXPECT_EQ(Text(L"Manufacturer"), L"Quandril Software 2026");
  EXPECT_EQ(Text(L"Webpage"), L"http://www.quandrilsoftware.example/zorvane");
  EXPECT_EQ(Text(L"Version"), L"Zorvane Version 1.2.");
  EXPECT_EQ(Text(L"Info"), L"Simple and free process viewer.");
  EXPECT_EQ(Value(L"ALLWAYS ON TOP", nullptr, nullptr), 0u);  // no settings yet
}

TEST_F(SettingsRegistry, SaveThenLoadRoundTripsAllNineValues) {
  LoadViewSettings();  // first run: creates the key, learns the value names
  ViewSettings& s = g_viewSettings;
  s.alwaysOnTop = false;
  s.showMemScale = false;
  s.showProcessInfo = true;
  s.trayMode = true;
  s.restorePreviousPosition = true;
  s.windowX = -1200;
  s.windowY = 345;
  std::wstring longest(63, L'q');  // the longest name the target holds
  wcscpy(g_monitor.targetName, longest.c_str());
  SaveViewSettings();

  EXPECT_EQ(Number(L"ALLWAYS ON TOP"), 0u);
  EXPECT_EQ(Number(L"SHOW MEM-SCALE"), 0u);
  EXPECT_EQ(Number(L"SHOW PROCESS INFO"), 1u);
  EXPECT_EQ(Number(L"SHOW ZOR IN SYSTEM TRAY"), 1u);
  EXPECT_EQ(Number(L"RESTORE PREVIOUS POSITION"), 1u);
  EXPECT_EQ(Number(L"ZOR XPOS"), static_cast<DWORD>(-1200));
  EXPECT_EQ(Number(L"ZOR YPOS"), 345u);
  EXPECT_EQ(Number(L"AUTO CONNECT TO PREV. PROCESS"), 1u);
  EXPECT_EQ(Text(L"NAME OF PREV PROCESS"), longest);

  memset(&g_viewSettings, 0, sizeof g_viewSettings);
  LoadViewSettings();
  EXPECT_FALSE(s.defaultPlacement);
  EXPECT_FALSE(s.alwaysOnTop);
  EXPECT_FALSE(s.showMemScale);
  EXPECT_TRUE(s.showProcessInfo);
  EXPECT_TRUE(s.trayMode);
  EXPECT_TRUE(s.restorePreviousPosition);
  EXPECT_TRUE(s.autoConnectPrevious);
  EXPECT_EQ(s.windowX, -1200);
  EXPECT_EQ(s.windowY, 345);
  EXPECT_EQ(std::wstring(s.previousProcessName), longest);

  // An empty name and a short one come back as saved too.
  for (const wchar_t* name : {L"", L"-", L"xtop.exe"}) {
    wcscpy(g_monitor.targetName, name);
    SaveViewSettings();
    LoadViewSettings();
    EXPECT_FALSE(s.defaultPlacement) << name;
    EXPECT_EQ(std::wstring(s.previousProcessName), name);
  }
}

TEST_F(SettingsRegistry, MissingOrOverlongValuesFallBack) {
  LoadViewSettings();
  wcscpy(g_monitor.targetName, L"acad.exe");
  SaveViewSettings();
  std::wstring tooLong(65, L'z');  // 130 bytes of data, more than a load reads
  HKEY h;
  ASSERT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, kTestKey, &h), ERROR_SUCCESS);
  RegSetValueExW(h, L"NAME OF PREV PROCESS", 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(tooLong.c_str()), 130);
  RegCloseKey(h);
  LoadViewSettings();
  EXPECT_TRUE(g_viewSettings.defaultPlacement);
  EXPECT_EQ(g_viewSettings.previousProcessName[0], 0);

  // Saving a fresh, short name heals it; deleting a number breaks it again.
  SaveViewSettings();
  LoadViewSettings();
  EXPECT_FALSE(g_viewSettings.defaultPlacement);
  EXPECT_EQ(std::wstring(g_viewSettings.previousProcessName), L"acad.exe");
  ASSERT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, kTestKey, &h), ERROR_SUCCESS);
  RegDeleteValueW(h, L"ZOR YPOS");
  RegDeleteValueW(h, L"Info");
  RegCloseKey(h);
  LoadViewSettings();
  EXPECT_TRUE(g_viewSettings.defaultPlacement);
  EXPECT_EQ(Text(L"Info"), L"Simple and free process viewer.");
}

}  // namespace
