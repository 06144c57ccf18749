// The key-value operations the settings store needs from the registry, all
// under the current user's hive. The real implementation is
// registry_api_win32.cpp; tests install substitutes.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/ztext.h"

typedef void* RegistryKey;

enum : uint32_t {
  kRegSz = 1,     // REG_SZ
  kRegDword = 4,  // REG_DWORD
};

class RegistryApi {
 public:
  virtual ~RegistryApi() {}
  // Opens an existing key; never creates one. False leaves *key untouched.
  virtual bool OpenKey(const ZChar* path, RegistryKey* key) = 0;
  // Opens the key, creating it (and its parents) when missing.
  virtual bool CreateKey(const ZChar* path, RegistryKey* key) = 0;
  // Reads a value of any type. *bytes is the room on entry and the stored
  // byte count on success; data longer than the room fails, and then the
  // buffer's content is undefined.
  virtual bool QueryValue(RegistryKey key, const ZChar* name, void* data, uint32_t* bytes) = 0;
  virtual bool SetValue(RegistryKey key, const ZChar* name, uint32_t type, const void* data,
                        uint32_t bytes) = 0;
  virtual void CloseKey(RegistryKey key) = 0;
};

RegistryApi& Registry();
RegistryApi* SetRegistryApi(RegistryApi* api);
// The platform's own implementation (beside this file in the _win32 source).
RegistryApi* PlatformRegistryApi();

// The value operations: each opens the key (never creating it), makes one
// query or set, closes the key, and is true only if the open and that one
// query or set succeeded. An empty path or name fails without a call: it
// would address the hive's root or the key's unnamed value.

// Asks for 4 bytes; shorter data is accepted, zero-extended.
bool ReadDwordValue(const ZChar* keyPath, const ZChar* name, uint32_t* value);
// Asks for (units - 1) * 2 bytes; the text is always terminated, cut at a
// stored terminator, and left empty when the read fails.
bool ReadStringValue(const ZChar* keyPath, const ZChar* name, ZChar* text, size_t units);
// REG_DWORD, 4 bytes, little-endian.
bool WriteDwordValue(const ZChar* keyPath, const ZChar* name, uint32_t value);
// REG_SZ holding the text's units without a terminator (0 bytes when empty),
// at most kSettingsTextUnits - 1 of them.
bool WriteStringValue(const ZChar* keyPath, const ZChar* name, const ZChar* text);

// Room for the key path, the value names and the informational texts.
enum { kSettingsTextUnits = 130 };
