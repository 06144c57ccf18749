// The chooser's parse of the process list text, whatever the text holds:
// rows bounded and terminated, one per name and PID pair, freed again.
#include <string.h>

#include "dialogs/process_rows.h"
#include "fuzz_input.h"
#include "monitor/vsize.h"

namespace {

ZString Bounded(const ZString& token) { return token.substr(0, kTextUnits - 1); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  uint8_t order = in.Byte();
  ZString text = in.RestAsUnits();

  // A few processes the parsed PIDs may name, so some rows are measured.
  FakeProcessApi api;
  ResetSystemInfoCache();
  for (uint32_t pid : {4u, 8u, 1234u, 4294967295u}) {
    FakeProcess& p = api.Add(pid, Z("\\Device\\HarddiskVolume1\\a.exe"));
    p.regions = {{0x10000, pid % 7 * 0x100000ull + 0x1000, kMemCommit},
                 {0x10000 + pid % 7 * 0x100000ull + 0x1000, 0x80000000ull, kMemFree}};
  }

  // The rows as they should come out: tokens end at line feeds, and they
  // pair up as name, PID; text after the last line feed is no token. The
  // text ends at its first zero unit.
  ZString live = text.substr(0, text.find(ZChar(0)));
  std::vector<ZString> tokens;
  size_t start = 0;
  for (size_t i = 0; i < live.size(); ++i)
    if (live[i] == '\n') {
      tokens.push_back(live.substr(start, i - start));
      start = i + 1;
    }
  size_t expected = tokens.size() / 2;

  int count = FillProcessRows(text.c_str());
  FUZZ_CHECK(count >= 0 && static_cast<size_t>(count) == expected);
  FUZZ_CHECK(g_processRows[count] == nullptr);
  for (int i = 0; i < count; ++i) {
    ProcessRow* row = g_processRows[i];
    FUZZ_CHECK(row != nullptr);
    FUZZ_CHECK(ZLenBounded(row->nameText, kTextUnits) < kTextUnits);
    FUZZ_CHECK(ZLenBounded(row->pidText, kTextUnits) < kTextUnits);
    FUZZ_CHECK(ZLenBounded(row->mbText, kTextUnits) < kTextUnits);
    FUZZ_CHECK(ZString(row->nameText) == Bounded(tokens[2 * i]));
    FUZZ_CHECK(ZString(row->pidText) == Bounded(tokens[2 * i + 1]));
    FUZZ_CHECK(row->sizeMb == row->sizeKb >> 10);
    ZChar mb[kTextUnits];
    ZFormatInt(mb, kTextUnits, row->sizeMb);
    FUZZ_CHECK(ZEqual(row->mbText, mb));
    if (!api.Find(static_cast<uint32_t>(row->pid))) FUZZ_CHECK(row->sizeKb == 0);
  }

  // The comparators the list's sort calls: a consistent order both ways.
  g_sortDirections = {(order & 1) != 0, (order & 2) != 0, (order & 4) != 0};
  int (*compare[])(const ProcessRow*, const ProcessRow*) = {CompareRowsByName, CompareRowsByPid,
                                                            CompareRowsBySize};
  for (int i = 0; i + 1 < count; ++i)
    for (auto* c : compare) {
      FUZZ_CHECK(c(g_processRows[i], g_processRows[i]) == 0);
      int ab = c(g_processRows[i], g_processRows[i + 1]);
      int ba = c(g_processRows[i + 1], g_processRows[i]);
      FUZZ_CHECK((ab < 0 && ba > 0) || (ab > 0 && ba < 0) || (ab == 0 && ba == 0));
    }

  ReleaseProcessRows();
  FUZZ_CHECK(g_processRows[0] == nullptr);
  FUZZ_CHECK(api.OpenHandles() == 0);
  return 0;
}
