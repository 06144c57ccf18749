#include "monitor/exit_code.h"

namespace {

const struct {
  uint32_t code;
  const char* words;
} kMeanings[] = {
    {0, "a normal exit"},
    {3, "abort"},
    {0xC0000005, "access violation"},
    {0xC0000017, "not enough memory"},
    {0xC00000FD, "stack overflow"},
    {0xC0000409, "stack buffer overrun"},
    {0xC0000374, "heap corruption"},
    {0xC0000142, "a DLL failed to start"},
    {0xC000001D, "illegal instruction"},
    {0x80000003, "breakpoint"},
    {0xE06D7363, "C++ exception"},
    {0xE0434352, ".NET exception"},
};

}  // namespace

const char* ExitCodeMeaning(uint32_t code) {
  for (const auto& m : kMeanings)
    if (m.code == code) return m.words;
  return nullptr;
}

void FormatExitCode(uint32_t code, ZChar* out, size_t units) {
  ZChar hex[11] = {'0', 'x'};
  for (int i = 0; i < 8; ++i) hex[2 + i] = "0123456789ABCDEF"[(code >> (28 - 4 * i)) & 0xF];
  ZBuilder b(out, units);
  b.Add(hex);
  if (const char* words = ExitCodeMeaning(code)) b.AddAscii(" (").AddAscii(words).AddAscii(")");
}
