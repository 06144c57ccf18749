// The program's own start-up, main dialog and refresh cycle on ZOR.exe's
// resources, run for thousands of ticks while hundreds of target processes
// start and exit under the awaited name, with the commands that open and
// close things in between. After a warm-up, what the process holds (handles,
// GDI objects, windows, private memory, heap) must not grow.
//
// The ticks are driven directly (the program's timer fires once a second);
// the shell is a counter, so that Wine's tray is not flooded; the registry is
// the real one, under a key of the soak's own. ctest first leaves this
// program's windows unmanaged (CMakeLists.txt beside it says why); run alone
// on an X server without a window manager it takes minutes instead.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include <string>

#include "app/app_win32.h"
#include "common/string_table.h"
#include "dialogs/auto_connect.h"
#include "monitor/display_port.h"
#include "monitor/monitor_state.h"
#include "res/resource.h"
#include "settings/view_settings.h"
#include "soak/process_resources_win32.h"
#include "support/fakes.h"
#include "support/target_process_win32.h"
#include "tray/notify_api.h"

namespace {

// Growth allowed between the samples after the warm-up: far below what one
// object or one allocation lost per cycle (150 of them) or per tick would
// add up to.
const long kHandleSlack = 2;
const long kGdiSlack = 2;
const uint64_t kHeapBlockSlack = 16;
const uint64_t kHeapSlack = 2 << 10;
const uint64_t kPrivateSlack = 256 << 10;

const int kWarmUpCycles = 20;  // every branch of the schedule below runs in it

int MeasuredCycles() {
  const char* env = getenv("ZOR_SOAK_CYCLES");  // longer local soaks
  int n = env ? atoi(env) : 0;
  return n > 0 ? n : 150;
}

// Counts the shell calls rather than keeping them, so the soak's own memory
// stays flat, and notes any add of an icon already shown or removal of one
// that is not.
class CountingNotify : public NotifyApi {
 public:
  CountingNotify() : previous_(SetNotifyApi(this)) {}
  ~CountingNotify() override { SetNotifyApi(previous_); }
  int shown = 0, calls = 0, modifies = 0, unbalanced = 0;
  bool NotifyIcon(uint32_t message, const NotifyIconRecord& record) override {
    ++calls;
    if (record.cbSize != kNotifyRecordBytes || record.uID != ZOR_TRAY_ID) ++unbalanced;
    if (message == kNimAdd) {
      if (shown++) ++unbalanced;
    } else if (message == kNimDelete) {
      if (!shown--) ++unbalanced;
    } else if (message == kNimModify) {
      ++modifies;
      if (!shown) ++unbalanced;
    }
    return true;
  }

 private:
  NotifyApi* previous_;
};

// The program's strings, with the settings under a key of the soak's own.
class SoakStrings : public StringTable {
 public:
  explicit SoakStrings(const std::wstring& keyPath)
      : keyPath_(keyPath), previous_(SetStringTable(this)) {}
  ~SoakStrings() override { SetStringTable(previous_); }
  int Load(uint32_t id, ZChar* buf, int units) override {
    if (id != IDS_KEY_PATH) return PlatformStringTable()->Load(id, buf, units);
    ZCopy(buf, units, keyPath_.c_str());
    return static_cast<int>(ZLen(buf));
  }

 private:
  std::wstring keyPath_;
  StringTable* previous_;
};

// A modal dialog opened by a command is answered from a thread timer, which
// its own message loop runs: the name typed in when there is one, then the
// command given.
struct DialogAnswer {
  int command = IDCANCEL;
  const wchar_t* name = nullptr;
  int answered = 0;
};
DialogAnswer g_answer;
HWND g_main = nullptr;

BOOL CALLBACK FindModal(HWND window, LPARAM found) {
  wchar_t cls[16];
  if (window != g_main && IsWindowVisible(window) && GetClassNameW(window, cls, 16) &&
      !lstrcmpW(cls, L"#32770")) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK AnswerDialog(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindModal, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog) return;  // not shown yet: the timer comes again
  KillTimer(nullptr, id);
  if (g_answer.name) SetDlgItemTextW(dialog, IDC_AUTO_NAME, g_answer.name);
  SendMessageW(dialog, WM_COMMAND, g_answer.command, 0);
  ++g_answer.answered;
}

class Soak {
 public:
  Soak(const std::wstring& name, const std::wstring& exe, FakeSystemApi& system,
       CountingNotify& notify)
      : name_(name), exe_(exe), system_(system), notify_(notify) {}

  int ticks = 0, targets = 0, failures = 0;
  std::string firstFailure;

  void Cycle(int c) {
    cycle_ = c;
    TargetProcess target;
    if (!Check(target.Start(L"", exe_), "the target did not start")) return;
    ++targets;
    // The limit alternates between 2 GB and 3 GB, so that the gauge's range
    // changes and its back buffer is rebuilt.
    system_.totalVirtual = (c % 2 ? 3071ull : 2047ull) << 20;
    Tick();
    Check(g_monitor.connected && g_monitor.targetPid == target.Pid(), "not connected");
    Tick();
    Tick();
    Check(g_monitor.sizeKb > 0, "connected target measured 0");
    Commands(c);
    Repaint();
    target.Exit();
    Tick();
    Check(!g_monitor.connected && g_monitor.waiting && g_monitor.targetPid == 0,
          "an exited target was not dropped back to waiting");
    Tick();
    Tick();
    // Idle ticks refresh the texts and the level only; then the name is
    // awaited again as the auto-connect dialog's OK sets it.
    Send(IDM_RESET);
    for (int i = 0; i < 6; ++i) Tick();
    ApplyAutoConnectName(name_.c_str());
    // The settings' save and load, and the informational values of start-up.
    SaveViewSettings();
    LoadViewSettings();
    WriteProductInfo();
    Pump();
  }

 private:
  void Tick() {
    TickMonitor(kMonitorTimerId);
    ++ticks;
  }

  void Send(int command) { SendMessageW(g_main, WM_COMMAND, command, 0); }

  bool Check(bool ok, const char* what) {
    if (!ok && !failures++) firstFailure = "cycle " + std::to_string(cycle_) + ": " + what;
    return ok;
  }

  void Modal(int command, int answer, const wchar_t* name = nullptr) {
    g_answer = DialogAnswer();
    g_answer.command = answer;
    g_answer.name = name;
    UINT_PTR timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, AnswerDialog);
    Send(command);
    KillTimer(nullptr, timer);
    Check(g_answer.answered == 1, "a dialog did not open");
  }

  void Commands(int c) {
    switch (c % 10) {
      case 0:  // into the tray and out again, with a refresh in the tray
        Send(IDM_TRAY_TOGGLE);
        Tick();
        Send(IDM_TRAY_TOGGLE);
        break;
      case 1:  // the panels off and on, ticking in between
        Send(IDM_SHOW_MEM_SCALE);
        Send(IDM_SHOW_PROCESS_INFO);
        Tick();
        Send(IDM_SHOW_MEM_SCALE);
        Send(IDM_SHOW_PROCESS_INFO);
        break;
      case 2:
        Send(IDM_ALWAYS_ON_TOP);
        Send(IDM_ALWAYS_ON_TOP);
        break;
      case 3:
        Modal(IDM_ABOUT, IDOK);
        break;
      case 4:
        Modal(IDM_HELP, IDOK);
        break;
      case 5:  // forget the target, then wait for it again by name
        Send(IDM_RESET);
        Tick();
        Check(!g_monitor.waiting && g_monitor.targetPid == 0, "Reset left a target");
        Modal(IDM_AUTO_CONNECT, IDOK, name_.c_str());
        Tick();
        Check(g_monitor.connected, "auto-connect did not find the running target");
        break;
      case 6:
        Send(IDM_APPLY_SETTINGS);
        break;
      case 7:
        Send(IDM_DEFAULT_SETTINGS);
        break;
      case 8:  // the tray menu's way in and the tray icon's clicks
        Send(IDM_TO_TRAY);
        SendMessageW(g_main, ZOR_TRAY_CALLBACK, ZOR_TRAY_ID, WM_LBUTTONUP);
        Send(IDM_TRAY_TOGGLE);
        break;
      case 9:  // the chooser measures every process: now and then only
        if (c % 20 == 9)
          Modal(IDM_CONNECT, IDC_CHOOSER_CANCEL);
        else
          Modal(IDM_AUTO_CONNECT, IDCANCEL);
        break;
    }
    Check(!notify_.unbalanced, "tray icon added or removed out of turn");
  }

  void Repaint() {
    RedrawWindow(g_main, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }

  void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (IsDialogMessageW(g_main, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  std::wstring name_, exe_;
  int cycle_ = 0;
  FakeSystemApi& system_;
  CountingNotify& notify_;
};

std::wstring SoakKey() {
  return L"Software\\QuandrilSoftware\\ZorvaneSoak" + std::to_wstring(GetCurrentProcessId());
}

// The counters must see what they count, or the soak would prove nothing.
TEST(Soak, TheResourceCountersCountThisProcess) {
  SampleResources();  // the first use sets up the window system's own handles
  long handles = CountHandles(), gdi = CountGdiObjects();
  ASSERT_GE(handles, 0) << "no way to count handles here";
  ASSERT_GE(gdi, 0) << "no way to count GDI objects here";
  HANDLE events[3];
  HPEN pens[3];
  for (int i = 0; i < 3; ++i) {
    events[i] = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    pens[i] = CreatePen(PS_SOLID, 1, RGB(i, 0, 0));
  }
  EXPECT_EQ(CountHandles(), handles + 3);
  EXPECT_EQ(CountGdiObjects(), gdi + 3);
  ResourceSample before = SampleResources();
  const size_t kBlock = 4 << 20;
  void* block = malloc(kBlock);
  ASSERT_NE(block, nullptr);
  memset(block, 1, kBlock);
  ResourceSample after = SampleResources();
  EXPECT_GE(after.heapBytes, before.heapBytes + kBlock);
  EXPECT_EQ(after.heapBlocks, before.heapBlocks + 1);
  EXPECT_GE(after.privateBytes, before.privateBytes + kBlock);
  free(block);
  for (int i = 0; i < 3; ++i) {
    CloseHandle(events[i]);
    DeleteObject(pens[i]);
  }
  EXPECT_EQ(CountHandles(), handles);
  EXPECT_EQ(CountGdiObjects(), gdi);
}

TEST(Soak, ThousandsOfTicksAndHundredsOfTargetsLeaveNothingBehind) {
  std::wstring dir = TargetProcess::DefaultExe();
  dir = dir.substr(0, dir.find_last_of(L'\\') + 1);
  HMODULE zor = LoadLibraryExW((dir + L"ZOR.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(zor, nullptr);
  std::wstring name = L"ZorSoak" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  std::wstring exe = TargetProcess::CopyAs(name);
  FakeSystemApi system;  // Windows 7: accepted
  CountingNotify notify;
  std::wstring key = SoakKey();
  SoakStrings strings(key + L"\\");

  ASSERT_TRUE(StartUp(zor, name.c_str()));
  g_main = FindWindowW(L"#32770", L"ZOR 1.2");
  ASSERT_NE(g_main, nullptr);
  ASSERT_TRUE(g_monitor.waiting);

  Soak soak(name, exe, system, notify);
  for (int c = 0; c < kWarmUpCycles && !soak.failures; ++c) soak.Cycle(c);
  ResourceSample start = SampleResources();
  int measured = MeasuredCycles();
  for (int c = kWarmUpCycles; c < kWarmUpCycles + measured && !soak.failures; ++c) soak.Cycle(c);
  ResourceSample end = SampleResources();

  EXPECT_EQ(soak.failures, 0) << soak.firstFailure;
  EXPECT_EQ(soak.targets, kWarmUpCycles + measured);
  EXPECT_GE(soak.ticks, 10 * measured);
  EXPECT_GT(notify.modifies, 0);  // the tray's level and tip were set
  printf("%d ticks, %d target processes, %d shell calls\n", soak.ticks, soak.targets, notify.calls);
  printf("after warm-up: %s\nat the end:    %s\n", Describe(start).c_str(), Describe(end).c_str());
  EXPECT_LE(end.handles, start.handles + kHandleSlack);
  EXPECT_LE(end.gdiObjects, start.gdiObjects + kGdiSlack);
  EXPECT_LE(end.windows, start.windows);
  EXPECT_LE(end.heapBlocks, start.heapBlocks + kHeapBlockSlack);
  EXPECT_LE(end.heapBytes, start.heapBytes + kHeapSlack);
  EXPECT_LE(end.privateBytes, start.privateBytes + kPrivateSlack);

  // Exit from the tray menu: the icon goes, and start-up's clean-up runs.
  SendMessageW(g_main, WM_COMMAND, IDM_TRAY_EXIT, 0);
  EXPECT_FALSE(IsWindow(g_main));
  EXPECT_EQ(notify.shown, 0);
  EXPECT_EQ(notify.unbalanced, 0);
  EXPECT_EQ(RunMessageLoop(), 0);
  ShutDown();
  SetDisplayPort(nullptr);
  g_monitor.initialised = false;
  FreeLibrary(zor);
  RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QuandrilSoftware");  // only when left empty
}

}  // namespace
