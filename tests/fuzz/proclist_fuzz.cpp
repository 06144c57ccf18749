// The process records, the list text and the lookup by name over whatever
// the system reports: any PIDs in any order (zeros, repeats, thousands),
// any image paths (no backslash, NULs, longer than the path buffer), and
// processes that cannot be opened or read. Every handle is closed; the text
// holds exactly one record per visible process; the chooser parses it back.
#include "dialogs/process_rows.h"
#include "fuzz_input.h"
#include "monitor/proclist.h"
#include "monitor/vsize.h"

namespace {

// The image name a visible process shows, or nothing when it is not visible.
bool ImageName(FakeProcessApi& api, uint32_t pid, ZString* name) {
  const FakeProcess* p = pid ? api.Find(pid) : nullptr;
  if (!p || !p->openable || !p->modulesReadable) return false;
  ZString path = p->path.substr(0, kImagePathUnits - 1);
  path = path.substr(0, path.find(ZChar(0)));
  size_t slash = path.rfind(ZChar('\\'));
  if (slash == ZString::npos) return false;
  *name = path.substr(slash + 1);
  return true;
}

ZString Record(const ZString& name, uint32_t pid) {
  ZChar digits[16];
  ZFormatInt(digits, 16, static_cast<int32_t>(pid));
  return name + ZT("\n") + digits + ZT("\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  FakeProcessApi api;
  ResetSystemInfoCache();
  uint8_t setup = in.Byte();
  int count = in.Byte() % 48;
  for (int i = 0; i < count && in.Left(); ++i) {
    uint8_t flags = in.Byte();
    uint32_t pid = (flags & 1) ? in.Number() : in.Byte();
    size_t units = in.Byte();
    if (flags & 2) units *= 4;  // past the 520-unit path buffer
    ZString path = (flags & 4) ? Z("\\Device\\HarddiskVolume1\\") : ZString();
    path += in.Units(units);
    FakeProcess& p = api.Add(pid, path);
    p.openable = !(flags & 8);
    p.modulesReadable = !(flags & 16);
    if (flags & 32) api.pidList.push_back(pid);  // listed twice
    if (flags & 64) api.pidList.push_back(0);
  }
  // Beyond the first array's 1024 entries, so the list is asked for again.
  if (setup & 1) api.pidList.insert(api.pidList.begin(), 1500, 0xFFFFFFF0u);
  api.enumFails = setup & 2;

  ZString expected;
  bool clean = true;  // no line feed in any name: the chooser reads it back
  for (uint32_t pid : api.pidList) {
    ZString name;
    if (!ImageName(api, pid, &name)) continue;
    expected += Record(name, pid);
    clean &= name.find(ZChar('\n')) == ZString::npos;
  }

  ZChar* text = BuildProcessListText();
  FUZZ_CHECK(api.OpenHandles() == 0);
  if (api.enumFails) {
    FUZZ_CHECK(text == nullptr);
  } else {
    FUZZ_CHECK(text != nullptr);
    FUZZ_CHECK(ZString(text) == expected);
  }

  for (const FakeProcess& p : api.processes) {
    ZString name;
    ZChar* record = FormatProcessRecord(p.pid);
    FUZZ_CHECK(api.OpenHandles() == 0);
    if (ImageName(api, p.pid, &name)) {
      FUZZ_CHECK(record && ZString(record) == Record(name, p.pid));
    } else {
      FUZZ_CHECK(record == nullptr);
    }
    ZFree(record);
  }

  // Looked up by the image name of a process the input picks.
  if (!api.processes.empty()) {
    const FakeProcess& wanted = api.processes[setup % api.processes.size()];
    ZString path = wanted.path.substr(0, wanted.path.find(ZChar(0)));
    ZString query = path.substr(path.rfind(ZChar('\\')) + 1);
    uint32_t first = 0;
    if (!api.enumFails)
      for (uint32_t pid : api.pidList) {
        ZString name;
        if (ImageName(api, pid, &name) && name == query) {
          first = pid;
          break;
        }
      }
    FUZZ_CHECK(FindProcessByImageName(query.c_str()) == first);
    FUZZ_CHECK(api.OpenHandles() == 0);
  }

  // The chooser's parse of the same text.
  if (text) {
    int rows = FillProcessRows(text);
    FUZZ_CHECK(api.OpenHandles() == 0);
    if (clean) {
      size_t records = 0;
      for (ZChar c : expected) records += c == '\n';
      records /= 2;
      FUZZ_CHECK(static_cast<size_t>(rows) == records);
    }
    ReleaseProcessRows();
  }
  ZFree(text);
  return 0;
}
