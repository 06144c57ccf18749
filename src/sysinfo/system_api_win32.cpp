#include <windows.h>

#include "sysinfo/system_api.h"

namespace {
class Win32SystemApi : public SystemApi {
 public:
  void GetVersion(uint32_t* major, uint32_t* minor, ZChar* servicePack) override {
    OSVERSIONINFOW v;
    ZeroMemory(&v, sizeof v);
    v.dwOSVersionInfoSize = sizeof v;
    GetVersionExW(&v);  // on failure the cleared record reads as 0.0
    *major = v.dwMajorVersion;
    *minor = v.dwMinorVersion;
    v.szCSDVersion[kServicePackUnits - 1] = 0;
    lstrcpynW(servicePack, v.szCSDVersion, kServicePackUnits);
  }
  uint64_t TotalVirtual() override {
    MEMORYSTATUSEX status;
    ZeroMemory(&status, sizeof status);
    status.dwLength = sizeof status;
    if (GlobalMemoryStatusEx(&status)) return status.ullTotalVirtual;
    // Should the query fail, the application address range is the same figure.
    SYSTEM_INFO si;
    ZeroMemory(&si, sizeof si);
    GetSystemInfo(&si);
    return reinterpret_cast<uintptr_t>(si.lpMaximumApplicationAddress) + 1 -
           reinterpret_cast<uintptr_t>(si.lpMinimumApplicationAddress);
  }
};
}  // namespace

SystemApi* PlatformSystemApi() {
  static Win32SystemApi api;
  return &api;
}
