#include "monitor/follow.h"

#include "monitor/exit_code.h"
#include "monitor/name_lookup.h"
#include "monitor/proclist.h"
#include "sysinfo/system_api.h"

namespace {
bool Refuse(ZChar* error, const char* what, const ZChar* value = nullptr) {
  ZBuilder b(error, kFollowErrorUnits);
  b.AddAscii(what);
  if (value) b.Add(value);
  return false;
}
}  // namespace

bool ParseTarget(const ZChar* text, ZChar* name, uint32_t* pid, ZChar* error) {
  name[0] = 0;
  *pid = 0;
  if (!*text) return Refuse(error, "the process name is empty");
  if (ZAllDigits(text)) {
    if (ZParseUint32(text, pid) && *pid) return true;
    return Refuse(error, "no process can have the PID ", text);
  }
  // The lookup compares the image name alone, so a path could never match.
  for (const ZChar* p = text; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':')
      return Refuse(error, "give the image name alone, such as xtop.exe, not ", text);
  // Longer names could never equal what the lookup compares against.
  if (ZLenBounded(text, kTextUnits) >= kTextUnits)
    return Refuse(error, "the process name is longer than 63 characters");
  ZCopy(name, kTextUnits, text);
  return true;
}

void TargetFollower::Follow(const ZChar* name, uint32_t pid) {
  Disconnect();
  ZCopy(name_, kTextUnits, name);
  pid_ = pid;
  byPid_ = pid != 0;
  announced_ = false;
  peakMb_ = 0;
  toldCount_ = 0;
  refused_[0] = 0;
}

TargetFollower::~TargetFollower() { Disconnect(); }

void TargetFollower::Disconnect() {
  if (handle_) Processes().CloseHandle(handle_);
  handle_ = nullptr;
  connected_ = false;
}

bool TargetFollower::Start(ZChar* error) {
  if (!byPid_) return true;
  ProcessApi& api = Processes();
  // VM-read too, for the ceiling; measuring needs query access alone.
  handle_ = api.OpenProcess(kProcessQueryInformation | kProcessVmRead, pid_);
  if (!handle_) handle_ = api.OpenProcess(kProcessQueryInformation, pid_);
  uint32_t code = 0;
  if (!handle_ || !api.GetExitCodeProcess(handle_, &code) || code != kStillActive) {
    Disconnect();
    ZBuilder(error, kFollowErrorUnits)
        .AddAscii("PID ")
        .AddInt(pid_)
        .AddAscii(" is not running or cannot be read");
    return false;
  }
  // The name the lookup would see, for the status lines and file names.
  ZChar* record = FormatProcessRecord(pid_);
  if (record) {
    ZCopy(name_, kTextUnits, record);
    for (ZChar* p = name_; *p; ++p)
      if (*p == '\n') *p = 0;
    ZFree(record);
  } else if (!ImageNameOfPid(pid_, name_, kTextUnits)) {
    ZBuilder(name_, kTextUnits).AddAscii("pid-").AddInt(pid_);
  }
  return true;
}

void TargetFollower::Status(FollowStep* step, const char* before, const char* after, bool ceiling) {
  ZBuilder b(step->status[step->statusCount++], kFollowStatusUnits);
  b.AddAscii(before).Add(name_);
  if (after) b.AddAscii(" (PID ").AddInt(pid_).AddAscii(after);
  if (!ceiling) return;
  if (ceiling_.known)
    b.AddAscii(": ceiling ").AddInt(ceiling_.mb).AddAscii(" MB, ").Add(ceiling_.reason);
  else if (ceiling_.is64Bit)
    b.AddAscii(": 64-bit process: no 32-bit ceiling");
  else
    b.AddAscii(": ceiling ").Add(ceiling_.reason);
}

// Looks for a process of the name; false, with what to tell, while none can
// be opened.
bool TargetFollower::Look(FollowStep* step) {
  // The lookup's own handle: the process it matched, even if its PID has
  // passed to another since.
  const NamedProcess found = FindNamedProcess(
      name_, told_, static_cast<int>(toldCount_ < kToldPids ? toldCount_ : +kToldPids));
  pid_ = found.pid;
  handle_ = found.handle;
  if (pid_ || !(found.refusedPid || found.toldRefused)) refused_[0] = 0;
  if (pid_) return true;
  if (found.refusedPid) {
    told_[toldCount_++ % kToldPids] = found.refusedPid;  // the oldest forgotten first
    ZBuilder b(refused_, kFollowStatusUnits);
    b.Add(name_)
        .AddAscii(" (PID ")
        .AddInt(found.refusedPid)
        .AddAscii(") runs but cannot be opened (");
    FormatOpenError(found.refusedError, b);
    b.AddAscii(")");
    step->refusedLine = step->statusCount;
    ZCopy(step->status[step->statusCount++], kFollowStatusUnits, refused_);
  }
  if (!announced_) Status(step, "waiting for ", nullptr);
  announced_ = true;
  return false;
}

void TargetFollower::Step(FollowStep* step, RegionSink* sink) {
  *step = FollowStep();
  if (!connected_) {
    if (!byPid_ && !Look(step)) return;
    connected_ = true;
    peakMb_ = 0;
    ceiling_ = QueryTargetCeiling(handle_);
    // Once per process: a name may take a domain controller's time to look up.
    sessionKnown_ = owners_ && Processes().ProcessSession(pid_, &session_);
    if (!owners_ || !Processes().ProcessUser(handle_, user_, kUserUnits)) user_[0] = 0;
    census_.Forget();
    Status(step, "connected to ", ")", true);
  } else if (!ceiling_.known && !ceiling_.is64Bit) {
    // Unread at the connection (a process still starting, a refused
    // read): read again until it is known.
    ceiling_ = QueryTargetCeiling(handle_);
    if (ceiling_.known) Status(step, "read the ceiling of ", ")", true);
  }
  census_.Chain(sink);
  uint32_t sizeKb =
      WalkProcess(handle_, ceiling_.known ? ceiling_.lastByte : 0, &step->stats, &census_);
  // A walk cut short by the exit holds only part of the figures: no row.
  uint32_t code = kStillActive;
  if (sizeKb && !step->stats.whole && Processes().GetExitCodeProcess(handle_, &code) &&
      code != kStillActive)
    sizeKb = 0;
  if (!sizeKb) {
    step->exitLine = step->statusCount;
    Status(step, "", ") exited");
    step->exitCodeKnown =
        Processes().GetExitCodeProcess(handle_, &step->exitCode) && step->exitCode != kStillActive;
    if (step->exitCodeKnown) {
      ZChar* line = step->status[step->exitLine];
      const size_t length = ZLen(line);
      ZBuilder(line + length, kFollowStatusUnits - length).AddAscii(" with ");
      const size_t more = ZLen(line);
      FormatExitCode(step->exitCode, line + more, kFollowStatusUnits - more);
    }
    Disconnect();
    if (byPid_) {
      step->finished = true;
    } else {
      pid_ = 0;
      Status(step, "waiting for ", nullptr);
      announced_ = true;
    }
    return;
  }
  step->row = true;
  step->pid = pid_;
  step->virtualMb = sizeKb >> 10;
  if (step->virtualMb > peakMb_) peakMb_ = step->virtualMb;
  step->peakMb = peakMb_;
  step->limitMb = System().TotalVirtual() >> 20;
  step->ceiling = ceiling_;
  step->sessionKnown = sessionKnown_;
  step->session = session_;
  ZCopy(step->user, kUserUnits, user_);
  census_.Finish(handle_, pid_, ceiling_.is64Bit, &step->threads);
  if (sink) sink->Attribute(ceiling_, census_);
}
