// Win32 side of the process seam: each call passed through, binding at run
// time what Windows 2000 lacks.
#include <windows.h>
// The API headers need the types of windows.h first.
#include <psapi.h>
#include <tlhelp32.h>

#include "monitor/account_name_win32.h"
#include "monitor/process_api.h"

namespace {

typedef DWORD(WINAPI* ImageFileNameProc)(HANDLE, LPWSTR, DWORD);
typedef BOOL(WINAPI* IsWow64Proc)(HANDLE, PBOOL);
typedef HANDLE(WINAPI* SnapshotProc)(DWORD, DWORD);
typedef BOOL(WINAPI* ThreadWalkProc)(HANDLE, THREADENTRY32*);
typedef BOOL(WINAPI* ProcessWalkProc)(HANDLE, PROCESSENTRY32W*);
typedef HANDLE(WINAPI* OpenThreadProc)(DWORD, BOOL, DWORD);
typedef LONG(WINAPI* NtQueryProc)(HANDLE, ULONG, PVOID, ULONG, PULONG);
typedef LONG(WINAPI* NextThreadProc)(HANDLE, HANDLE, ACCESS_MASK, ULONG, ULONG, PHANDLE);
typedef BOOL(WINAPI* SessionProc)(DWORD, DWORD*);

// The leading fields of THREAD_BASIC_INFORMATION and PROCESS_BASIC_INFORMATION.
struct ThreadBasics {
  LONG exitStatus;
  void* block;
  void* clientId[2];
  ULONG_PTR affinity;
  LONG priority, basePriority;
};
struct ProcessBasics {
  LONG exitStatus;
  void* block;
  ULONG_PTR affinity, basePriority, pid, parentPid;
};
enum { kThreadBasicInformation = 0, kProcessBasicInformation = 0, kProcessWow64Information = 26 };
const LONG kNoMoreEntries = static_cast<LONG>(0x8000001AL);
const DWORD kThreadQueryLimited = 0x0800;  // THREAD_QUERY_LIMITED_INFORMATION, Vista on

template <typename Proc>
Proc Bind(const wchar_t* module, const char* name) {
  return reinterpret_cast<Proc>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(module), name)));
}

class Win32ProcessApi : public ProcessApi {
 public:
  // Windows 2000's PSAPI has no GetProcessImageFileNameW, and a static import
  // of it would stop the loader from starting the program there.
  Win32ProcessApi()
      : imageFileName_(Bind<ImageFileNameProc>(L"psapi.dll", "GetProcessImageFileNameW")),
        isWow64_(Bind<IsWow64Proc>(L"kernel32.dll", "IsWow64Process")),
        snapshot_(Bind<SnapshotProc>(L"kernel32.dll", "CreateToolhelp32Snapshot")),
        threadFirst_(Bind<ThreadWalkProc>(L"kernel32.dll", "Thread32First")),
        threadNext_(Bind<ThreadWalkProc>(L"kernel32.dll", "Thread32Next")),
        processFirst_(Bind<ProcessWalkProc>(L"kernel32.dll", "Process32FirstW")),
        processNext_(Bind<ProcessWalkProc>(L"kernel32.dll", "Process32NextW")),
        openThread_(Bind<OpenThreadProc>(L"kernel32.dll", "OpenThread")),
        queryThread_(Bind<NtQueryProc>(L"ntdll.dll", "NtQueryInformationThread")),
        queryProcess_(Bind<NtQueryProc>(L"ntdll.dll", "NtQueryInformationProcess")),
        nextThread_(Bind<NextThreadProc>(L"ntdll.dll", "NtGetNextThread")),
        session_(Bind<SessionProc>(L"kernel32.dll", "ProcessIdToSessionId")) {}

  ProcessHandle OpenProcess(uint32_t access, uint32_t pid) override {
    return ::OpenProcess(access, FALSE, pid);
  }
  bool GetExitCodeProcess(ProcessHandle h, uint32_t* code) override {
    DWORD c = 0;
    if (!::GetExitCodeProcess(h, &c)) return false;
    *code = c;
    return true;
  }
  uint32_t VirtualQueryEx(ProcessHandle h, uint32_t address, RegionInfo* info) override {
    MEMORY_BASIC_INFORMATION mbi;
    SIZE_T n = ::VirtualQueryEx(h, reinterpret_cast<LPCVOID>(static_cast<uintptr_t>(address)), &mbi,
                                sizeof mbi);
    if (n != sizeof mbi) return static_cast<uint32_t>(n);
    info->base = reinterpret_cast<uintptr_t>(mbi.BaseAddress);
    info->size = mbi.RegionSize;
    info->state = mbi.State;
    info->type = mbi.Type;
    info->protect = mbi.Protect;
    info->allocationBase = reinterpret_cast<uintptr_t>(mbi.AllocationBase);
    return kRegionInfoBytes;
  }
  void GetSystemInfo(SystemInfoRecord* info) override {
    SYSTEM_INFO si;
    ZeroMemory(&si, sizeof si);
    ::GetSystemInfo(&si);
    info->pageSize = si.dwPageSize;
    info->minimumAddress = reinterpret_cast<uintptr_t>(si.lpMinimumApplicationAddress);
    info->maximumAddress = reinterpret_cast<uintptr_t>(si.lpMaximumApplicationAddress);
    info->allocationGranularity = si.dwAllocationGranularity;
  }
  void CloseHandle(ProcessHandle h) override { ::CloseHandle(h); }
  bool EnumProcesses(uint32_t* pids, uint32_t bytes, uint32_t* bytesReturned) override {
    DWORD n = 0;
    if (!::EnumProcesses(reinterpret_cast<DWORD*>(pids), bytes, &n)) return false;
    *bytesReturned = n;
    return true;
  }
  bool EnumProcessModules(ProcessHandle h, uint64_t* firstModule) override {
    HMODULE module;
    DWORD needed;
    if (!::EnumProcessModules(h, &module, sizeof module, &needed)) return false;
    *firstModule = reinterpret_cast<uintptr_t>(module);
    return true;
  }
  uint32_t GetProcessImageFileName(ProcessHandle h, ZChar* path, uint32_t units) override {
    if (imageFileName_) return imageFileName_(h, path, units);
    // The main module's path ends in the same image name.
    return ::GetModuleFileNameExW(h, nullptr, path, units);
  }
  bool ReadProcessMemory(ProcessHandle h, uint64_t address, void* buf, uint32_t bytes) override {
    SIZE_T read = 0;
    if (address > UINTPTR_MAX - bytes) return false;
    return ::ReadProcessMemory(h, reinterpret_cast<LPCVOID>(static_cast<uintptr_t>(address)), buf,
                               bytes, &read) &&
           read == bytes;
  }
  uint32_t GetMappedFileName(ProcessHandle h, uint64_t address, ZChar* name,
                             uint32_t units) override {
    if (!units) return 0;
    name[0] = 0;
    DWORD n = ::GetMappedFileNameW(h, reinterpret_cast<void*>(static_cast<uintptr_t>(address)),
                                   name, units);
    if (n >= units) n = 0;
    name[n] = 0;
    return n;
  }
  bool IsWow64Process(ProcessHandle h, bool* wow64) override {
    BOOL flag = FALSE;
    if (isWow64_ && !isWow64_(h ? h : ::GetCurrentProcess(), &flag)) return false;
    *wow64 = flag != FALSE;
    return true;
  }
  bool ListThreads(uint32_t pid, uint32_t* tids, ProcessHandle* handles, uint32_t max,
                   uint32_t* count) override {
    if (ListOwnThreads(pid, tids, handles, max, count)) return true;
    if (!snapshot_ || !threadFirst_ || !threadNext_) return false;
    HANDLE snap = snapshot_(TH32CS_SNAPTHREAD, 0);  // the process argument is ignored for threads
    if (snap == INVALID_HANDLE_VALUE) return false;
    THREADENTRY32 entry;
    entry.dwSize = sizeof entry;
    uint32_t n = 0;
    for (BOOL more = threadFirst_(snap, &entry); more; more = threadNext_(snap, &entry)) {
      if (entry.th32OwnerProcessID != pid) continue;
      if (n < max) tids[n] = entry.th32ThreadID, handles[n] = nullptr;
      ++n;
    }
    ::CloseHandle(snap);
    *count = n;
    return true;
  }
  // The threads of one process from its own list (Vista on), not a copy of
  // every thread of the system, each kept open: a handle from this list is
  // of this process's thread, where an ID opened again may not be. False
  // where that cannot be had whole, with every handle closed.
  bool ListOwnThreads(uint32_t pid, uint32_t* tids, ProcessHandle* handles, uint32_t max,
                      uint32_t* count) {
    if (!nextThread_ || !queryThread_) return false;
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!process) return false;
    HANDLE thread = nullptr;  // the cursor, whether kept or not
    bool kept = false;
    uint32_t n = 0, listed = 0;
    bool whole = false;
    for (;;) {
      HANDLE next = nullptr;
      const LONG status = nextThread_(process, thread, kThreadQueryLimited, 0, 0, &next);
      if (thread && !kept) ::CloseHandle(thread);
      thread = next;
      kept = false;
      if (status < 0) {
        whole = status == kNoMoreEntries && n > 0;  // a live process has a thread
        break;
      }
      ThreadBasics info;
      if (queryThread_(thread, kThreadBasicInformation, &info, sizeof info, nullptr) < 0) {
        ::CloseHandle(thread);
        break;
      }
      if (info.exitStatus != STILL_ACTIVE) continue;  // ended, its handle still held
      if (n < max) {
        tids[n] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(info.clientId[1]));
        handles[n] = thread;
        kept = true;
        listed = n + 1;
      }
      ++n;
    }
    ::CloseHandle(process);
    if (whole) {
      *count = n;
      return true;
    }
    for (uint32_t i = 0; i < listed; ++i) ::CloseHandle(handles[i]);
    return false;
  }
  ProcessHandle OpenThread(uint32_t tid) override {
    if (!openThread_) return nullptr;
    HANDLE h = openThread_(THREAD_QUERY_INFORMATION, FALSE, tid);
    // Where the full right is refused, Vista and later grant the limited one.
    return h ? h : openThread_(0x0800 /* THREAD_QUERY_LIMITED_INFORMATION */, FALSE, tid);
  }
  bool QueryThreadBlock(ProcessHandle thread, uint64_t* address, uint32_t* owner) override {
    ThreadBasics info;
    if (!queryThread_ ||
        queryThread_(thread, kThreadBasicInformation, &info, sizeof info, nullptr) < 0)
      return false;
    *address = reinterpret_cast<uintptr_t>(info.block);
    *owner = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(info.clientId[0]));
    return true;
  }
  bool QueryProcessBlock(ProcessHandle h, bool wow64, uint64_t* address) override {
    if (!queryProcess_) return false;
    if (wow64) {
      ULONG_PTR block = 0;
      if (queryProcess_(h, kProcessWow64Information, &block, sizeof block, nullptr) < 0)
        return false;
      *address = block;
      return true;
    }
    ProcessBasics info;
    if (queryProcess_(h, kProcessBasicInformation, &info, sizeof info, nullptr) < 0) return false;
    *address = reinterpret_cast<uintptr_t>(info.block);
    return true;
  }
  bool VisitProcessNames(ProcessNameVisitor* visitor) override {
    if (!snapshot_ || !processFirst_ || !processNext_) return false;
    HANDLE snap = snapshot_(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    bool more = processFirst_(snap, &entry) != FALSE;
    while (more) {
      entry.szExeFile[MAX_PATH - 1] = 0;
      if (!visitor->Visit(entry.th32ProcessID, ZFileName(entry.szExeFile))) break;
      more = processNext_(snap, &entry) != FALSE;
    }
    ::CloseHandle(snap);
    return true;
  }
  uint32_t LastError() override { return ::GetLastError(); }
  bool ProcessSession(uint32_t pid, uint32_t* session) override {
    DWORD id = 0;
    if (!session_ || !session_(pid, &id)) return false;
    *session = id;
    return true;
  }
  bool ProcessUser(ProcessHandle h, ZChar* user, uint32_t units) override {
    HANDLE token = nullptr;
    if (!units || !::OpenProcessToken(h, TOKEN_QUERY, &token)) return false;
    // A TOKEN_USER with its SID: the SID is at most 68 bytes.
    union {
      TOKEN_USER owner;
      BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } info;
    DWORD size = 0;
    const bool read = ::GetTokenInformation(token, TokenUser, &info, sizeof info, &size) != FALSE;
    ::CloseHandle(token);
    // A second at most: a row is due, and a slow domain controller would
    // otherwise hold it for as long as it takes to answer.
    return read && NameOfAccount(info.owner.User.Sid, user, units, 1000);
  }

 private:
  ImageFileNameProc imageFileName_;
  IsWow64Proc isWow64_;  // absent before XP SP2, where there is no WOW64
  // Bound at run time, as the import list allows only what Windows 2000
  // is known to export.
  SnapshotProc snapshot_;
  ThreadWalkProc threadFirst_, threadNext_;
  ProcessWalkProc processFirst_, processNext_;
  OpenThreadProc openThread_;
  NtQueryProc queryThread_, queryProcess_;
  NextThreadProc nextThread_;  // Vista on
  SessionProc session_;        // not on NT 4 nor every build of Windows 2000
};

}  // namespace

ProcessApi* PlatformProcessApi() {
  static Win32ProcessApi api;
  return &api;
}
