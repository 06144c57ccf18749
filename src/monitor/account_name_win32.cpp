#include "monitor/account_name_win32.h"

#include <stdlib.h>

#include "monitor/process_api.h"

namespace {

// Shared by the caller and the lookup's thread; the last to let go frees it.
struct NameLookup {
  LONG holders;
  BYTE sid[SECURITY_MAX_SID_SIZE];
  wchar_t user[kUserUnits];
  bool found;
};

void LetGo(NameLookup* job) {
  if (!InterlockedDecrement(&job->holders)) free(job);
}

DWORD WINAPI LookUp(void* param) {
  NameLookup* job = static_cast<NameLookup*>(param);
  wchar_t name[kUserUnits], domain[kUserUnits];
  DWORD nameUnits = kUserUnits, domainUnits = kUserUnits;
  SID_NAME_USE use;
  if (LookupAccountSidW(nullptr, job->sid, name, &nameUnits, domain, &domainUnits, &use)) {
    ZBuilder b(job->user, kUserUnits);
    if (domain[0]) b.Add(domain).AddAscii("\\");
    b.Add(name);
    job->found = !b.Truncated();
  }
  LetGo(job);
  return 0;
}

}  // namespace

bool NameOfAccount(PSID sid, ZChar* user, size_t units, DWORD waitMs) {
  NameLookup* job = static_cast<NameLookup*>(calloc(1, sizeof(NameLookup)));
  if (!job || !CopySid(sizeof job->sid, job->sid, sid)) {
    free(job);
    return false;
  }
  job->holders = 2;
  HANDLE thread = CreateThread(nullptr, 0, LookUp, job, 0, nullptr);
  if (!thread) {
    free(job);
    return false;
  }
  // Once the thread has ended, all it wrote is there to be read.
  const bool found = WaitForSingleObject(thread, waitMs) == WAIT_OBJECT_0 && job->found;
  CloseHandle(thread);
  if (found) ZCopy(user, units, job->user);
  LetGo(job);
  return found;
}
