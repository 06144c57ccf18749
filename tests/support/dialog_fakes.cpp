#include "support/dialog_fakes.h"

FakeHelpResource::FakeHelpResource() : previous_(SetHelpResourceApi(this)) {}
FakeHelpResource::~FakeHelpResource() { SetHelpResourceApi(previous_); }

bool FakeHelpResource::Find(const char** data, size_t* size) {
  ++finds;
  if (!present) return false;
  memory_ = bytes + beyond;
  *data = memory_.data();
  *size = bytes.size();
  return true;
}

const char* FakeHelpResource::Next(const char* p) {
  if (!*p) return p;
  if (leadBytes.count(static_cast<unsigned char>(*p)) && p[1]) return p + 2;
  return p + 1;
}
