#include "settings/registry_api.h"

#include "common/seam.h"

static SeamSlot<RegistryApi> g_slot(PlatformRegistryApi);

RegistryApi& Registry() { return g_slot.Get(); }
RegistryApi* SetRegistryApi(RegistryApi* api) { return g_slot.Set(api); }

namespace {

bool Usable(const ZChar* keyPath, const ZChar* name) {
  return keyPath && keyPath[0] && name && name[0];
}

}  // namespace

bool ReadDwordValue(const ZChar* keyPath, const ZChar* name, uint32_t* value) {
  if (!Usable(keyPath, name)) return false;
  RegistryApi& reg = Registry();
  RegistryKey key = nullptr;
  if (!reg.OpenKey(keyPath, &key)) return false;
  uint8_t data[4] = {0, 0, 0, 0};
  uint32_t bytes = sizeof data;
  bool ok = reg.QueryValue(key, name, data, &bytes);
  reg.CloseKey(key);
  if (!ok) return false;
  *value = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
           static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
  return true;
}

bool ReadStringValue(const ZChar* keyPath, const ZChar* name, ZChar* text, size_t units) {
  if (units == 0) return false;
  text[0] = 0;
  if (!Usable(keyPath, name)) return false;
  RegistryApi& reg = Registry();
  RegistryKey key = nullptr;
  if (!reg.OpenKey(keyPath, &key)) return false;
  // One unit is kept back for the terminator the stored data may lack.
  uint32_t room = static_cast<uint32_t>((units - 1) * sizeof(ZChar));
  uint32_t bytes = room;
  bool ok = reg.QueryValue(key, name, text, &bytes);
  reg.CloseKey(key);
  if (!ok || bytes > room) {
    text[0] = 0;  // a failed read may have left anything there
    return false;
  }
  text[bytes / sizeof(ZChar)] = 0;  // an odd last byte is dropped
  return true;
}

bool WriteDwordValue(const ZChar* keyPath, const ZChar* name, uint32_t value) {
  if (!Usable(keyPath, name)) return false;
  RegistryApi& reg = Registry();
  RegistryKey key = nullptr;
  if (!reg.OpenKey(keyPath, &key)) return false;
  const uint8_t data[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                           static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  bool ok = reg.SetValue(key, name, kRegDword, data, sizeof data);
  reg.CloseKey(key);
  return ok;
}

bool WriteStringValue(const ZChar* keyPath, const ZChar* name, const ZChar* text) {
  if (!Usable(keyPath, name) || !text) return false;
  RegistryApi& reg = Registry();
  RegistryKey key = nullptr;
  if (!reg.OpenKey(keyPath, &key)) return false;
  // ZChar is UTF-16 in memory, little-endian on every target, so the units
  // are the stored bytes as they stand.
  size_t units = ZLenBounded(text, kSettingsTextUnits - 1);
  bool ok = reg.SetValue(key, name, kRegSz, text, static_cast<uint32_t>(units * sizeof(ZChar)));
  reg.CloseKey(key);
  return ok;
}
