#include "common/module_win32.h"

static HINSTANCE g_module = nullptr;

HINSTANCE ResourceModule() { return g_module ? g_module : GetModuleHandleW(nullptr); }
void SetResourceModule(HINSTANCE module) { g_module = module; }
