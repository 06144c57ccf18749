// Win32 side of the registry seam: each call passed straight through, always
// under HKEY_CURRENT_USER.
#include <windows.h>

#include "settings/registry_api.h"

namespace {

class Win32RegistryApi : public RegistryApi {
 public:
  bool OpenKey(const ZChar* path, RegistryKey* key) override {
    HKEY h = nullptr;
    if (RegOpenKeyW(HKEY_CURRENT_USER, path, &h) != ERROR_SUCCESS) return false;
    *key = h;
    return true;
  }
  bool CreateKey(const ZChar* path, RegistryKey* key) override {
    HKEY h = nullptr;
    if (RegCreateKeyW(HKEY_CURRENT_USER, path, &h) != ERROR_SUCCESS) return false;
    *key = h;
    return true;
  }
  bool QueryValue(RegistryKey key, const ZChar* name, void* data, uint32_t* bytes) override {
    DWORD n = *bytes;
    if (RegQueryValueExW(static_cast<HKEY>(key), name, nullptr, nullptr, static_cast<BYTE*>(data),
                         &n) != ERROR_SUCCESS)
      return false;
    *bytes = n;
    return true;
  }
  bool SetValue(RegistryKey key, const ZChar* name, uint32_t type, const void* data,
                uint32_t bytes) override {
    return RegSetValueExW(static_cast<HKEY>(key), name, 0, type, static_cast<const BYTE*>(data),
                          bytes) == ERROR_SUCCESS;
  }
  void CloseKey(RegistryKey key) override { RegCloseKey(static_cast<HKEY>(key)); }
};

}  // namespace

RegistryApi* PlatformRegistryApi() {
  static Win32RegistryApi api;
  return &api;
}
