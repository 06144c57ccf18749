#include "support/settings_fakes.h"

#include <string.h>

#include "res/resource.h"

const char kZorvaneKeyPath[] = "Software\\QuandrilSoftware\\Zorvane\\";

void AddSettingsStrings(FakeStringTable& table, const char* keyPath) {
  const struct {
    uint32_t id;
    const char* text;
  } texts[] = {
      {IDS_KEY_PATH, keyPath ? keyPath : kZorvaneKeyPath},
      {IDS_MANUFACTURER, "Quandril Software 2026"},
      {IDS_WEBPAGE, "http://www.quandrilsoftware.example/zorvane"},
      {IDS_VERSION, "Zorvane Version 1.2."},
      {IDS_INFO, "Simple and free process viewer."},
      {IDS_NAME_MANUFACTURER, "Manufacturer"},
      {IDS_NAME_WEBPAGE, "Webpage"},
      {IDS_NAME_VERSION, "Version"},
      {IDS_NAME_INFO, "Info"},
      {IDS_NAME_ALWAYS_ON_TOP, "ALLWAYS ON TOP"},
      {IDS_NAME_SHOW_MEM_SCALE, "SHOW MEM-SCALE"},
      {IDS_NAME_SHOW_PROCESS_INFO, "SHOW PROCESS INFO"},
      {IDS_NAME_TRAY, "SHOW ZOR IN SYSTEM TRAY"},
      {IDS_NAME_XPOS, "ZOR XPOS"},
      {IDS_NAME_YPOS, "ZOR YPOS"},
      {IDS_NAME_RESTORE_POSITION, "RESTORE PREVIOUS POSITION"},
      {IDS_NAME_AUTO_CONNECT, "AUTO CONNECT TO PREV. PROCESS"},
      {IDS_NAME_PREV_PROCESS, "NAME OF PREV PROCESS"},
  };
  for (const auto& e : texts) table.strings[e.id] = Z(e.text);
}

std::vector<uint8_t> DwordBytes(uint32_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

std::vector<uint8_t> TextBytes(const std::string& text) {
  std::vector<uint8_t> out;
  for (unsigned char c : text) {
    out.push_back(c);
    out.push_back(0);
  }
  return out;
}

FakeRegistryApi::FakeRegistryApi() : previous_(SetRegistryApi(this)) {}

FakeRegistryApi::~FakeRegistryApi() {
  for (Handle* h : open_) delete h;
  SetRegistryApi(previous_);
}

void FakeRegistryApi::PutBytes(const std::string& path, const std::string& name, uint32_t type,
                               const std::vector<uint8_t>& data) {
  RegValue& v = keys[path][name];
  v.type = type;
  v.data = data;
}

void FakeRegistryApi::PutDword(const std::string& path, const std::string& name, uint32_t v) {
  PutBytes(path, name, kRegDword, DwordBytes(v));
}

void FakeRegistryApi::PutText(const std::string& path, const std::string& name,
                              const std::string& text, bool terminated) {
  std::vector<uint8_t> data = TextBytes(text);
  if (terminated) data.insert(data.end(), {0, 0});
  PutBytes(path, name, kRegSz, data);
}

const RegValue* FakeRegistryApi::Find(const std::string& path, const std::string& name) const {
  auto k = keys.find(path);
  if (k == keys.end()) return nullptr;
  auto v = k->second.find(name);
  return v == k->second.end() ? nullptr : &v->second;
}

std::vector<std::string> FakeRegistryApi::Names(RegOp op) const {
  std::vector<std::string> out;
  for (const RegCall& c : calls)
    if (c.op == op) out.push_back(c.name);
  return out;
}

FakeRegistryApi::Handle* FakeRegistryApi::Get(RegistryKey key) {
  Handle* h = static_cast<Handle*>(key);
  return open_.count(h) ? h : nullptr;
}

bool FakeRegistryApi::OpenKey(const ZChar* path, RegistryKey* key) {
  RegCall call{RegOp::Open, Narrow(path), ""};
  call.ok = keys.count(call.path) && !Fails(call);
  calls.push_back(call);
  if (!call.ok) return false;
  Handle* h = new Handle{call.path};
  open_.insert(h);
  *key = h;
  return true;
}

bool FakeRegistryApi::CreateKey(const ZChar* path, RegistryKey* key) {
  RegCall call{RegOp::Create, Narrow(path), ""};
  call.ok = !Fails(call);
  calls.push_back(call);
  if (!call.ok) return false;
  keys[call.path];
  Handle* h = new Handle{call.path};
  open_.insert(h);
  *key = h;
  return true;
}

bool FakeRegistryApi::QueryValue(RegistryKey key, const ZChar* name, void* data, uint32_t* bytes) {
  Handle* h = Get(key);
  RegCall call{RegOp::Query, h ? h->path : "<bad handle>", Narrow(name), 0, *bytes};
  const RegValue* v = h ? Find(h->path, call.name) : nullptr;
  call.ok = v && !Fails(call) && v->data.size() <= *bytes;
  calls.push_back(call);
  if (v && v->data.size() > *bytes) {
    memset(data, 0xAB, *bytes);  // what a too-small buffer holds is undefined
    return false;
  }
  if (!call.ok) return false;
  if (!v->data.empty()) memcpy(data, v->data.data(), v->data.size());
  *bytes = static_cast<uint32_t>(v->data.size());
  return true;
}

bool FakeRegistryApi::SetValue(RegistryKey key, const ZChar* name, uint32_t type, const void* data,
                               uint32_t bytes) {
  Handle* h = Get(key);
  RegCall call{RegOp::Set, h ? h->path : "<bad handle>", Narrow(name), type, bytes};
  call.ok = h && !Fails(call);
  calls.push_back(call);
  if (!call.ok) return false;
  const uint8_t* p = static_cast<const uint8_t*>(data);
  PutBytes(h->path, call.name, type, std::vector<uint8_t>(p, p + bytes));
  return true;
}

void FakeRegistryApi::CloseKey(RegistryKey key) {
  Handle* h = Get(key);
  calls.push_back(RegCall{RegOp::Close, h ? h->path : "<bad handle>", "", 0, 0, h != nullptr});
  if (!h) return;
  open_.erase(h);
  delete h;
}
