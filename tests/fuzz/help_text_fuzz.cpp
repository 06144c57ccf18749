// The help text's end-marker scan over any bytes, in a single-byte or a
// double-byte code page: never past the resource, the text terminated and
// ended where the marker rules say.
#include <string.h>

#include "dialogs/help_text.h"
#include "fuzz_input.h"
#include "support/dialog_fakes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  uint8_t page = in.Byte();
  std::vector<uint8_t> bytes = in.Bytes(in.Left());

  FakeHelpResource resource;
  // Lead bytes of Shift-JIS, which include none of '*', '\\' and NUL but
  // whose trail bytes include '\\' (0x5C); or of no code page at all.
  if (page & 1)
    for (int b = 0x81; b <= 0xFC; ++b)
      if (b <= 0x9F || b >= 0xE0) resource.leadBytes.insert(static_cast<unsigned char>(b));

  // The scan itself, over a buffer of exactly the resource and the NUL its
  // contract asks for, so that the sanitizer sees any read beyond.
  size_t n = bytes.size();
  char* exact = static_cast<char*>(malloc(n + 1));
  if (n) memcpy(exact, bytes.data(), n);
  exact[n] = 0;
  size_t length = HelpTextLength(exact, n, resource);
  FUZZ_CHECK(length <= n);
  FUZZ_CHECK(memchr(exact, 0, length) == nullptr);
  if (length < n) FUZZ_CHECK(exact[length] == 0 || exact[length] == '*');
  if (length < n && exact[length] == '*') {
    FUZZ_CHECK(exact[0] != '\\');
    if (resource.leadBytes.empty()) FUZZ_CHECK(memchr(exact, '\\', length) == nullptr);
  }
  if (resource.leadBytes.empty() && n && exact[0] != '\\') {
    // Single-byte: the first of '*', '\\' and NUL decides.
    size_t stop = strcspn(exact, "*\\");
    if (stop < n && exact[stop] == '*') FUZZ_CHECK(length == stop);
  }
  free(exact);

  // The kept copy: read once, the same text, the resource itself untouched.
  ReleaseHelpText();
  resource.bytes.assign(bytes.begin(), bytes.end());
  resource.beyond = (page & 2) ? "*\\" : "";  // what follows in memory is never read
  const char* text = LoadedHelpText();
  FUZZ_CHECK(strlen(text) == length);
  FUZZ_CHECK(length == 0 || memcmp(text, bytes.data(), length) == 0);
  FUZZ_CHECK(LoadedHelpText() == text);
  FUZZ_CHECK(resource.finds == 1);
  ReleaseHelpText();
  return 0;
}
