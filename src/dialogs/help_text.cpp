#include "dialogs/help_text.h"

#include <stdlib.h>
#include <string.h>

#include "common/seam.h"

namespace {
SeamSlot<HelpResourceApi> g_slot(PlatformHelpResourceApi);
char* g_helpText = nullptr;
}  // namespace

HelpResourceApi& HelpResources() { return g_slot.Get(); }
HelpResourceApi* SetHelpResourceApi(HelpResourceApi* api) { return g_slot.Set(api); }

size_t HelpTextLength(const char* bytes, size_t size, HelpResourceApi& api) {
  const char* end = bytes + size;
  size_t length = size;
  const void* nul = memchr(bytes, 0, size);
  if (nul) length = static_cast<size_t>(static_cast<const char*>(nul) - bytes);

  // Step by characters so that the second byte of a double-byte character
  // is never taken for a marker or a backslash.
  if (size && bytes[0] != '\\') {
    const char* p = bytes;
    while (p < end && *p && *p != '*' && *p != '\\') {
      const char* next = api.Next(p);
      p = next > p ? next : p + 1;
    }
    if (p < end && *p == '*') {
      size_t marker = static_cast<size_t>(p - bytes);
      if (marker < length) length = marker;
    }
  }
  return length;
}

const char* LoadedHelpText() {
  if (g_helpText) return g_helpText;
  HelpResourceApi& api = HelpResources();
  const char* bytes = nullptr;
  size_t size = 0;
  if (!api.Find(&bytes, &size) || !bytes) return "";
  // Work on a terminated copy: the resource is not terminated, and it is
  // never written.
  char* copy = static_cast<char*>(malloc(size + 1));
  if (!copy) return "";
  memcpy(copy, bytes, size);
  copy[size] = 0;
  copy[HelpTextLength(copy, size, api)] = 0;
  g_helpText = copy;
  return g_helpText;
}

void ReleaseHelpText() {
  free(g_helpText);
  g_helpText = nullptr;
}
