/* A DLL whose image holds a 4 MB section, zero-filled so the file stays small. */
static char block[4 << 20];

__declspec(dllexport) char* zor_big_section(void) { return block; }
