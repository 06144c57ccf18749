// A substitute registry for the settings store: keys of typed values with
// exact bytes, every call recorded, any call able to fail.
#pragma once
#include <stdint.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "settings/registry_api.h"
#include "support/fakes.h"

// The key path the real program uses.
extern const char kZorvaneKeyPath[];

// Puts the settings texts (key path, informational names and texts, the nine
// value names) into the table; a key path of the test's choosing if given.
void AddSettingsStrings(FakeStringTable& table, const char* keyPath = nullptr);

struct RegValue {
  uint32_t type = 0;
  std::vector<uint8_t> data;
};

enum class RegOp { Open, Create, Query, Set, Close };

struct RegCall {
  RegOp op;
  std::string path;    // Open, Create, Close: the key's path
  std::string name;    // Query, Set
  uint32_t type = 0;   // Set
  uint32_t bytes = 0;  // Query: the room offered; Set: the bytes given
  bool ok = false;
};

class FakeRegistryApi : public RegistryApi {
 public:
  FakeRegistryApi();
  ~FakeRegistryApi() override;

  // Key path -> value name -> value. Paths and names compare exactly.
  std::map<std::string, std::map<std::string, RegValue>> keys;
  std::vector<RegCall> calls;
  // Called before a call takes effect; true makes it fail.
  std::function<bool(const RegCall&)> failWhen;

  void PutDword(const std::string& path, const std::string& name, uint32_t v);
  // UTF-16 units of the text, with a terminating null if asked.
  void PutText(const std::string& path, const std::string& name, const std::string& text,
               bool terminated = false);
  void PutBytes(const std::string& path, const std::string& name, uint32_t type,
                const std::vector<uint8_t>& data);
  const RegValue* Find(const std::string& path, const std::string& name) const;
  size_t OpenHandles() const { return open_.size(); }
  std::vector<std::string> Names(RegOp op) const;  // value names of every such call, in order

  bool OpenKey(const ZChar* path, RegistryKey* key) override;
  bool CreateKey(const ZChar* path, RegistryKey* key) override;
  bool QueryValue(RegistryKey key, const ZChar* name, void* data, uint32_t* bytes) override;
  bool SetValue(RegistryKey key, const ZChar* name, uint32_t type, const void* data,
                uint32_t bytes) override;
  void CloseKey(RegistryKey key) override;

 private:
  struct Handle {
    std::string path;
  };
  Handle* Get(RegistryKey key);
  bool Fails(const RegCall& call) const { return failWhen && failWhen(call); }
  std::set<Handle*> open_;
  RegistryApi* previous_;
};

// The little-endian bytes of a number, and the UTF-16 bytes of a text.
std::vector<uint8_t> DwordBytes(uint32_t v);
std::vector<uint8_t> TextBytes(const std::string& text);
