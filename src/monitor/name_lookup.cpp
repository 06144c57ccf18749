#include "monitor/name_lookup.h"

#include "monitor/proclist.h"

namespace {

class ByName : public ProcessNameVisitor {
 public:
  ByName(const ZChar* name, const uint32_t* skip, int count)
      : name_(name), skip_(skip), count_(count) {}
  bool Visit(uint32_t pid, const ZChar* image) override {
    if (!pid || !ZEqual(image, name_)) return true;
    ProcessApi& api = Processes();
    ProcessHandle h = api.OpenProcess(kProcessQueryInformation | kProcessVmRead, pid);
    if (!h) h = api.OpenProcess(kProcessQueryInformation, pid);
    if (h) {
      found.pid = pid;
      found.handle = h;
      return false;
    }
    const uint32_t error = api.LastError();
    // Gone since the snapshot: nothing to tell.
    if (error == kErrorInvalidParameter || found.refusedPid) return true;
    for (int i = 0; i < count_; ++i)
      if (skip_[i] == pid) {
        found.toldRefused = true;
        return true;
      }
    found.refusedPid = pid;
    found.refusedError = error;
    return true;
  }
  NamedProcess found;

 private:
  const ZChar* name_;
  const uint32_t* skip_;
  int count_;
};

class ByPid : public ProcessNameVisitor {
 public:
  ByPid(uint32_t pid, ZChar* name, size_t units) : pid_(pid), name_(name), units_(units) {}
  bool Visit(uint32_t pid, const ZChar* image) override {
    if (pid != pid_) return true;
    ZCopy(name_, units_, image);
    found = *image != 0;
    return false;
  }
  bool found = false;

 private:
  uint32_t pid_;
  ZChar* name_;
  size_t units_;
};

}  // namespace

NamedProcess FindNamedProcess(const ZChar* name, const uint32_t* skip, int count) {
  ByName visitor(name, skip, count);
  if (Processes().VisitProcessNames(&visitor)) return visitor.found;
  NamedProcess old;
  old.pid = FindProcessByImageName(name, &old.handle);
  return old;
}

bool ImageNameOfPid(uint32_t pid, ZChar* name, size_t units) {
  ByPid visitor(pid, name, units);
  return Processes().VisitProcessNames(&visitor) && visitor.found;
}

void FormatOpenError(uint32_t error, ZBuilder& b) {
  if (error == kErrorAccessDenied)
    b.AddAscii("access denied");
  else
    b.AddAscii("error ").AddInt(error);
}
