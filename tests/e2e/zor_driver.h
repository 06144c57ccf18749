// Drives the real ZOR.exe from another process as a user would: starts it
// with a command line, finds its window, reads control texts, rectangles,
// registry values and pixels, sends it commands and closes it.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Polls every 50 ms until the condition holds or the time is up; true if it held.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// The folder of the running test program, with a trailing backslash.
std::wstring BinDir();
std::wstring ZorExe();
// A copy of ZOR.exe under another image name in a fresh temp folder, its
// windows unmanaged as ZOR.exe's are (below).
std::wstring CopyZorAs(const std::wstring& imageName);
// Deletes such a copy and its folder once nothing runs from it.
void RemoveCopy(const std::wstring& path);

// Registry: the program's settings key under HKCU, and Wine's per-program
// Windows version.
extern const wchar_t kSettingsKey[];
void DeleteSettingsKey();
void SetWineVersionFor(const wchar_t* imageName, const wchar_t* version);
// Wine's load order of one DLL for one program ("native": the DLL beside it).
void SetWineDllOverrideFor(const wchar_t* imageName, const wchar_t* dll, const wchar_t* order);
// Wine draws the program's window frames itself instead of leaving them to
// a window manager. With no window manager there, Wine otherwise waits two
// seconds for one at every hiding of a framed window: each closed dialog,
// each window sent to the tray, each exit. The test program sets this for
// ZOR.exe before its first test.
void SetWineUnmanagedFor(const wchar_t* imageName);
struct RegValue {
  bool present = false;
  DWORD type = 0;
  std::vector<BYTE> data;
  DWORD Dword() const;        // 0 unless 4 bytes
  std::wstring Text() const;  // up to the first null
};
RegValue ReadSettingsValue(const wchar_t* name);
void WriteSettingsDword(const wchar_t* name, DWORD value);

// Keeps one notification icon of the test's own in Wine's stand-alone tray
// for the whole run. With no window manager, the tray window hides when its
// last icon goes and shows with the first, and each of those waits two
// seconds in explorer for a window manager that never answers, which stalls
// the program's own icon calls at every start and close. The test program
// keeps one from before its first test to after its last.
class TrayAnchor {
 public:
  TrayAnchor();
  ~TrayAnchor();
  TrayAnchor(const TrayAnchor&) = delete;
  TrayAnchor& operator=(const TrayAnchor&) = delete;

 private:
  HWND owner_ = nullptr;
};

// Ends every process with this image name (leftovers of earlier runs).
void KillProcessesNamed(const wchar_t* imageName);

// Every end-to-end test starts with no settings key and no ZOR.exe running,
// with ZOR.exe seeing Windows 10 (the prefix's default version is refused,
// as 64-bit Windows 7 is).
class ZorTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

// Top-level windows of a class that belong to a process (the visible ones
// unless visibleOnly is false).
std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* className, bool visibleOnly = true);

// A visible top-level window of a class and title that belongs to a process,
// waited for; null if none came.
HWND WaitForWindowOf(DWORD pid, const wchar_t* className, const wchar_t* title,
                     DWORD timeoutMs = 5000);

// Memory in another process, for messages whose argument points to a record
// or buffer: the window system copies such arguments only for its own
// standard messages.
class RemoteBuffer {
 public:
  RemoteBuffer(DWORD pid, size_t bytes);
  ~RemoteBuffer();
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  bool Ok() const { return address_ != nullptr; }
  // The address in the other process, for a message's argument.
  LPARAM At(size_t offset = 0) const { return reinterpret_cast<LPARAM>(address_) + offset; }
  bool Write(const void* data, size_t bytes, size_t offset = 0);
  bool Read(void* data, size_t bytes, size_t offset = 0) const;

 private:
  HANDLE process_ = nullptr;
  BYTE* address_ = nullptr;
  size_t bytes_ = 0;
};

std::wstring WindowText(HWND window);
// For failure messages.
std::string Utf8(const std::wstring& text);
RECT WindowRectOf(HWND window);
RECT ClientRectOf(HWND window);
bool SameRect(const RECT& a, const RECT& b);
std::string Describe(const RECT& r);

// A copy of a window's client area, read back pixel by pixel.
class Pixels {
 public:
  explicit Pixels(HWND window);
  int Width() const { return width_; }
  int Height() const { return height_; }
  COLORREF At(int x, int y) const;  // 0x00BBGGRR

 private:
  int width_ = 0, height_ = 0;
  std::vector<DWORD> bits_;
};

// One run of ZOR.exe (or a renamed copy). The destructor ends a run that is
// still going.
class ZorRun {
 public:
  ZorRun() = default;
  ~ZorRun();
  ZorRun(const ZorRun&) = delete;
  ZorRun& operator=(const ZorRun&) = delete;

  // Starts the program with the raw command line after its name.
  bool Launch(const std::wstring& commandLine = L"", const std::wstring& exe = ZorExe());
  // Launch, then wait for the main window "ZOR 1.2" to be shown (or, for a
  // start in the tray, to be there hidden) and its first refresh to be done.
  bool Start(const std::wstring& commandLine = L"", const std::wstring& exe = ZorExe(),
             bool shown = true);

  HWND Window() const { return window_; }
  DWORD Pid() const { return pid_; }
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  std::wstring Text(int id) const;
  // Waits until control id holds exactly this text.
  bool WaitForText(int id, const std::wstring& text, DWORD timeoutMs = 5000) const;

  void SendCommand(int id) const;  // returns once the command has run
  void PostCommand(int id) const;
  void Post(UINT message, WPARAM wParam, LPARAM lParam) const;

  RECT WindowRect() const { return WindowRectOf(window_); }
  // A control's rectangle in screen coordinates.
  RECT ControlRect(int id) const { return WindowRectOf(Control(id)); }
  bool Topmost() const;

  // WM_CLOSE, then waits for the process to end; false if it did not.
  bool Close(DWORD* exitCode);
  // Waits for the process to end by itself.
  bool WaitForExit(DWORD* exitCode, DWORD timeoutMs = 5000);

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND window_ = nullptr;
};

}  // namespace e2e
