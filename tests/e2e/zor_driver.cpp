#include "e2e/zor_driver.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <wchar.h>

#include <sstream>

namespace e2e {

const wchar_t kSettingsKey[] = L"Software\\QuandrilSoftware\\Zorvane\\";

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return condition();
    Sleep(50);
  }
}

std::wstring BinDir() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, n);
  return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

std::wstring ZorExe() { return BinDir() + L"ZOR.exe"; }

std::wstring CopyZorAs(const std::wstring& imageName) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring dir = std::wstring(temp) + L"zor-e2e-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(dir.c_str(), nullptr);
  std::wstring copy = dir + L"\\" + imageName;
  CopyFileW(ZorExe().c_str(), copy.c_str(), FALSE);
  SetWineUnmanagedFor(imageName.c_str());
  return copy;
}

void RemoveCopy(const std::wstring& path) {
  DeleteFileW(path.c_str());
  RemoveDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str());
}

void DeleteSettingsKey() {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuandrilSoftware\\Zorvane");
}

namespace {
void SetWineAppText(const wchar_t* imageName, const wchar_t* subKey, const wchar_t* name,
                    const wchar_t* value) {
  std::wstring path = std::wstring(L"Software\\Wine\\AppDefaults\\") + imageName + subKey;
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                 static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}
}  // namespace

void SetWineVersionFor(const wchar_t* imageName, const wchar_t* version) {
  SetWineAppText(imageName, L"", L"Version", version);
}

void SetWineDllOverrideFor(const wchar_t* imageName, const wchar_t* dll, const wchar_t* order) {
  SetWineAppText(imageName, L"\\DllOverrides", dll, order);
}

void SetWineUnmanagedFor(const wchar_t* imageName) {
  SetWineAppText(imageName, L"\\X11 Driver", L"Managed", L"N");
}

DWORD RegValue::Dword() const {
  DWORD v = 0;
  if (data.size() == sizeof v) memcpy(&v, data.data(), sizeof v);
  return v;
}

std::wstring RegValue::Text() const {
  std::wstring s(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
  size_t end = s.find(L'\0');
  return end == std::wstring::npos ? s : s.substr(0, end);
}

RegValue ReadSettingsValue(const wchar_t* name) {
  RegValue v;
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return v;
  DWORD bytes = 0;
  if (RegQueryValueExW(key, name, nullptr, &v.type, nullptr, &bytes) == ERROR_SUCCESS) {
    v.data.resize(bytes);
    v.present =
        RegQueryValueExW(key, name, nullptr, &v.type, v.data.data(), &bytes) == ERROR_SUCCESS;
    v.data.resize(bytes);
  }
  RegCloseKey(key);
  return v;
}

void WriteSettingsDword(const wchar_t* name, DWORD value) {
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

TrayAnchor::TrayAnchor() {
  owner_ = CreateWindowExW(0, L"STATIC", L"zor-e2e-anchor", 0, 0, 0, 0, 0, nullptr, nullptr,
                           nullptr, nullptr);
  NOTIFYICONDATAW icon = {};
  icon.cbSize = sizeof icon;
  icon.hWnd = owner_;
  icon.uID = 1;
  icon.uFlags = NIF_ICON | NIF_TIP;
  icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wcscpy(icon.szTip, L"zor-e2e");
  Shell_NotifyIconW(NIM_ADD, &icon);
}

TrayAnchor::~TrayAnchor() {
  NOTIFYICONDATAW icon = {};
  icon.cbSize = sizeof icon;
  icon.hWnd = owner_;
  icon.uID = 1;
  Shell_NotifyIconW(NIM_DELETE, &icon);
  DestroyWindow(owner_);
}

void ZorTest::SetUp() {
  KillProcessesNamed(L"ZOR.exe");
  DeleteSettingsKey();
  SetWineVersionFor(L"ZOR.exe", L"win10");
}

void ZorTest::TearDown() { KillProcessesNamed(L"ZOR.exe"); }

namespace {
class RunEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    SetWineUnmanagedFor(L"ZOR.exe");
    SetWineUnmanagedFor(L"zormap.exe");
    anchor_ = new TrayAnchor;
  }
  void TearDown() override {
    delete anchor_;
    anchor_ = nullptr;
  }

 private:
  TrayAnchor* anchor_ = nullptr;
};
}  // namespace

::testing::Environment* const g_runEnvironment =
    ::testing::AddGlobalTestEnvironment(new RunEnvironment);

void KillProcessesNamed(const wchar_t* imageName) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snap, &entry); more; more = Process32NextW(snap, &entry)) {
    if (_wcsicmp(entry.szExeFile, imageName) != 0) continue;
    if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
      TerminateProcess(p, 1);
      WaitForSingleObject(p, 5000);
      CloseHandle(p);
    }
  }
  CloseHandle(snap);
}

namespace {
struct WindowSearch {
  DWORD pid;
  const wchar_t* className;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  WindowSearch* s = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t cls[64] = L"";
  GetClassNameW(window, cls, 64);
  if (pid == s->pid && (!s->visibleOnly || IsWindowVisible(window)) &&
      wcscmp(cls, s->className) == 0)
    s->found.push_back(window);
  return TRUE;
}
}  // namespace

std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* className, bool visibleOnly) {
  WindowSearch s = {pid, className, visibleOnly, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND WaitForWindowOf(DWORD pid, const wchar_t* className, const wchar_t* title, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND window : WindowsOf(pid, className)) {
          if (WindowText(window) == title) {
            found = window;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

RemoteBuffer::RemoteBuffer(DWORD pid, size_t bytes) : bytes_(bytes) {
  process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (process_)
    address_ = static_cast<BYTE*>(
        VirtualAllocEx(process_, nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
}

RemoteBuffer::~RemoteBuffer() {
  if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  if (process_) CloseHandle(process_);
}

bool RemoteBuffer::Write(const void* data, size_t bytes, size_t offset) {
  SIZE_T done = 0;
  return address_ && offset + bytes <= bytes_ &&
         WriteProcessMemory(process_, address_ + offset, data, bytes, &done) && done == bytes;
}

bool RemoteBuffer::Read(void* data, size_t bytes, size_t offset) const {
  SIZE_T done = 0;
  return address_ && offset + bytes <= bytes_ &&
         ReadProcessMemory(process_, address_ + offset, data, bytes, &done) && done == bytes;
}

std::wstring WindowText(HWND window) {
  wchar_t text[1024] = L"";
  GetWindowTextW(window, text, 1024);
  return text;
}

std::string Utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr,
                      nullptr);
  return out;
}

RECT WindowRectOf(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  return r;
}

RECT ClientRectOf(HWND window) {
  RECT r = {};
  GetClientRect(window, &r);
  return r;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& r) {
  std::ostringstream s;
  s << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
  return s.str();
}

Pixels::Pixels(HWND window) {
  RECT client = ClientRectOf(window);
  width_ = client.right;
  height_ = client.bottom;
  if (width_ <= 0 || height_ <= 0) return;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width_;
  bi.bmiHeader.biHeight = -height_;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) {
    DeleteDC(mem);
    width_ = height_ = 0;
    return;
  }
  HGDIOBJ old = SelectObject(mem, bitmap);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  HDC dc = GetDC(nullptr);
  BitBlt(mem, 0, 0, width_, height_, dc, origin.x, origin.y, SRCCOPY);
  ReleaseDC(nullptr, dc);
  GdiFlush();
  const DWORD* p = static_cast<const DWORD*>(bits);
  bits_.assign(p, p + static_cast<size_t>(width_) * height_);
  SelectObject(mem, old);
  DeleteObject(bitmap);
  DeleteDC(mem);
}

COLORREF Pixels::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  DWORD v = bits_[static_cast<size_t>(y) * width_ + x];  // 0x00RRGGBB in a DIB
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

ZorRun::~ZorRun() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

bool ZorRun::Launch(const std::wstring& commandLine, const std::wstring& exe) {
  std::wstring cmd = L"\"" + exe + L"\"";
  if (!commandLine.empty()) cmd += L" " + commandLine;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  return true;
}

bool ZorRun::Start(const std::wstring& commandLine, const std::wstring& exe, bool shown) {
  if (!Launch(commandLine, exe)) return false;
  // The window is created hidden and shown once the settings are applied.
  return WaitFor([this, shown] {
    HWND w = FindWindowW(L"#32770", L"ZOR 1.2");
    DWORD pid = 0;
    if (w) GetWindowThreadProcessId(w, &pid);
    if (pid != pid_ || (shown && !IsWindowVisible(w))) return false;
    window_ = w;
    // The first refresh has run once the status hint is set.
    return Text(1031) == L"Right click for menu.";
  });
}

std::wstring ZorRun::Text(int id) const {
  wchar_t text[1024] = L"";
  GetDlgItemTextW(window_, id, text, 1024);
  return text;
}

bool ZorRun::WaitForText(int id, const std::wstring& text, DWORD timeoutMs) const {
  return WaitFor([&] { return Text(id) == text; }, timeoutMs);
}

void ZorRun::SendCommand(int id) const { SendMessageW(window_, WM_COMMAND, id, 0); }
void ZorRun::PostCommand(int id) const { PostMessageW(window_, WM_COMMAND, id, 0); }
void ZorRun::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
  PostMessageW(window_, message, wParam, lParam);
}

bool ZorRun::Topmost() const { return (GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

bool ZorRun::WaitForExit(DWORD* exitCode, DWORD timeoutMs) {
  if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  return GetExitCodeProcess(process_, exitCode) != 0;
}

bool ZorRun::Close(DWORD* exitCode) {
  PostMessageW(window_, WM_CLOSE, 0, 0);
  return WaitForExit(exitCode);
}

}  // namespace e2e
