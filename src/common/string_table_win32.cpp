#include <windows.h>

#include "common/module_win32.h"
#include "common/string_table.h"

namespace {
class Win32StringTable : public StringTable {
 public:
  int Load(uint32_t id, ZChar* buf, int units) override {
    if (units <= 0) return 0;
    buf[0] = 0;
    return LoadStringW(ResourceModule(), id, buf, units);
  }
};
}  // namespace

StringTable* PlatformStringTable() {
  static Win32StringTable table;
  return &table;
}
