// The help page: read from the program's "TEXT" resource once per run, cut at
// its optional end marker and kept as a terminated 8-bit text.
#pragma once
#include <stddef.h>

// What the help text needs from the platform.
class HelpResourceApi {
 public:
  virtual ~HelpResourceApi() {}
  // The bytes of the help text resource; false when it cannot be had.
  virtual bool Find(const char** bytes, size_t* size) = 0;
  // The next character in the ANSI code page (CharNextA): past a double-byte
  // character's second byte; p itself at a NUL.
  virtual const char* Next(const char* p) = 0;
};

HelpResourceApi& HelpResources();
HelpResourceApi* SetHelpResourceApi(HelpResourceApi* api);
// The platform's own implementation (beside this file in the _win32 source).
HelpResourceApi* PlatformHelpResourceApi();

// Length of the text in the first size bytes: up to the end marker (the
// first '*' met before any backslash, none when the text begins with one),
// the first NUL or the end, whichever comes first. bytes must be followed by
// a NUL (at bytes[size]) so that stepping never reads past it.
size_t HelpTextLength(const char* bytes, size_t size, HelpResourceApi& api);

// The help text, loaded at the first call and kept for the rest of the run.
// An empty text while the resource cannot be had (asked for again next time).
const char* LoadedHelpText();

// Releases the kept text (at exit, and between tests).
void ReleaseHelpText();
