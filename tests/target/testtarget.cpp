// A process for the tests to watch: it reserves and commits chosen amounts of
// address space in chosen numbers of separate regions, can grow step by step,
// reports what it did on stdout and lives until told to exit.
//
//   testtarget [--reserve KB] [--commit KB] [--regions N]
//              [--grow KB] [--every MS] [--steps N] [--lifetime SECONDS]
//
// Commands on stdin, one a line: "reserve KB [N]", "commit KB [N]", "exit".
// Every action answers "ok reserved=KB committed=KB" (totals so far).
// stdin closing ends the process, unless --lifetime keeps it for that long.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

CRITICAL_SECTION g_lock;
unsigned long long g_reservedKb = 0, g_committedKb = 0;

bool Allocate(unsigned long long kb, unsigned regions, bool commit, bool report = true) {
  if (regions == 0) regions = 1;
  unsigned long long each = kb / regions;
  EnterCriticalSection(&g_lock);
  bool ok = true;
  for (unsigned i = 0; i < regions && each; ++i) {
    DWORD type = MEM_RESERVE | (commit ? MEM_COMMIT : 0);
    if (!VirtualAlloc(nullptr, static_cast<SIZE_T>(each * 1024), type, PAGE_READWRITE)) {
      ok = false;
      break;
    }
    (commit ? g_committedKb : g_reservedKb) += each;
  }
  if (report) {
    printf("%s reserved=%llu committed=%llu\n", ok ? "ok" : "failed", g_reservedKb, g_committedKb);
    fflush(stdout);
  }
  LeaveCriticalSection(&g_lock);
  return ok;
}

struct Growth {
  unsigned long long kb = 0;
  unsigned every = 1000;
  unsigned steps = 0;  // 0: until the process ends
};

DWORD WINAPI Grow(void* param) {
  Growth* g = static_cast<Growth*>(param);
  for (unsigned n = 0; g->steps == 0 || n < g->steps; ++n) {
    Sleep(g->every);
    if (!Allocate(g->kb, 1, true)) break;
  }
  return 0;
}

DWORD WINAPI Expire(void* param) {
  Sleep(static_cast<DWORD>(reinterpret_cast<uintptr_t>(param)) * 1000);
  ExitProcess(0);
}

}  // namespace

int main(int argc, char** argv) {
  InitializeCriticalSection(&g_lock);
  unsigned long long reserveKb = 0, commitKb = 0;
  unsigned regions = 1, lifetime = 0;
  Growth growth;
  for (int i = 1; i + 1 < argc; i += 2) {
    const char* opt = argv[i];
    unsigned long long v = strtoull(argv[i + 1], nullptr, 10);
    if (!strcmp(opt, "--reserve")) reserveKb = v;
    else if (!strcmp(opt, "--commit")) commitKb = v;
    else if (!strcmp(opt, "--regions")) regions = static_cast<unsigned>(v);
    else if (!strcmp(opt, "--grow")) growth.kb = v;
    else if (!strcmp(opt, "--every")) growth.every = static_cast<unsigned>(v);
    else if (!strcmp(opt, "--steps")) growth.steps = static_cast<unsigned>(v);
    else if (!strcmp(opt, "--lifetime")) lifetime = static_cast<unsigned>(v);
  }
  if (reserveKb) Allocate(reserveKb, regions, false, false);
  if (commitKb) Allocate(commitKb, regions, true, false);
  printf("ready pid=%lu reserved=%llu committed=%llu\n", GetCurrentProcessId(), g_reservedKb,
         g_committedKb);
  fflush(stdout);
  if (growth.kb) CloseHandle(CreateThread(nullptr, 0, Grow, &growth, 0, nullptr));
  if (lifetime)
    CloseHandle(CreateThread(nullptr, 0, Expire, reinterpret_cast<void*>(uintptr_t{lifetime}), 0,
                             nullptr));

  char line[256];
  while (fgets(line, sizeof line, stdin)) {
    char cmd[32] = "";
    unsigned long long kb = 0;
    unsigned n = 1;
    if (sscanf(line, "%31s %llu %u", cmd, &kb, &n) < 1) continue;
    if (!strcmp(cmd, "exit")) return 0;
    if (!strcmp(cmd, "reserve")) Allocate(kb, n, false);
    else if (!strcmp(cmd, "commit")) Allocate(kb, n, true);
  }
  if (lifetime) Sleep(INFINITE);  // the expiry thread ends the process
  return 0;
}
