// One process followed by name or PID, one walk of its address space per
// step: what zorlog.exe logs and zormap.exe draws.
#pragma once
#include <stdint.h>

#include "common/ztext.h"
#include "monitor/ceiling.h"
#include "monitor/threads.h"
#include "monitor/vsize.h"

enum { kFollowStatusUnits = 192, kFollowErrorUnits = 160 };

// What one step brought: status lines (at most: connected or the ceiling
// read late, exited, a process that cannot be opened, waiting), and a row
// when the followed process was measured.
struct FollowStep {
  int statusCount = 0;
  ZChar status[4][kFollowStatusUnits];
  int refusedLine = -1;  // the line telling of a process that cannot be opened
  bool row = false;
  bool finished = false;  // the process followed by PID is gone: the log ends
  uint32_t pid = 0;
  uint32_t virtualMb = 0;  // as ZOR.exe shows it
  uint32_t peakMb = 0;     // the highest virtualMb since this process was connected
  uint64_t limitMb = 0;
  TargetCeiling ceiling;
  AddressSpaceStats stats;
  ThreadSplit threads;  // who holds the private bytes
  // Whose process it is, read once at connection: its Terminal Services
  // session and "DOMAIN\user", empty where the system cannot say.
  bool sessionKnown = false;
  uint32_t session = 0;
  ZChar user[kUserUnits] = {0};
  // The followed process ended: its status line, and its exit code where
  // the system still gives it.
  int exitLine = -1;
  bool exitCodeKnown = false;
  uint32_t exitCode = 0;
};

// A command line's target: a PID (digits, 1 to 2^32 - 1) or an image name
// alone. False with a one-line reason in error (kFollowErrorUnits).
bool ParseTarget(const ZChar* text, ZChar* name, uint32_t* pid, ZChar* error);

class TargetFollower {
 public:
  // An image name, or a PID (not 0) that only that process is followed.
  TargetFollower(const ZChar* name, uint32_t pid) { Follow(name, pid); }
  TargetFollower() { Follow(ZT(""), 0); }
  // From now on another target, as if newly made.
  void Follow(const ZChar* name, uint32_t pid);
  ~TargetFollower();
  TargetFollower(const TargetFollower&) = delete;
  TargetFollower& operator=(const TargetFollower&) = delete;
  // For a PID: false, with a one-line reason, when it is not running or
  // cannot be read.
  bool Start(ZChar* error);
  // Each process's session and user read at its connection, for the rows
  // (not for a window, which a slow lookup would hold).
  void ReadOwners() { owners_ = true; }
  // sink, when given, receives the walk's regions.
  void Step(FollowStep* step, RegionSink* sink = nullptr);
  const ZChar* Name() const { return name_; }
  uint32_t Pid() const { return pid_; }
  bool Connected() const { return connected_; }
  // While waiting: the latest process of the name that runs but cannot be
  // opened ("cad.exe (PID 1234) runs but cannot be opened (access
  // denied)"), or an empty text.
  const ZChar* Refused() const { return refused_; }
  // The uses of the latest reading's private space, by address.
  const ThreadCensus& Census() const { return census_; }

 private:
  // ceiling: the ceiling this process has, and why, follow.
  void Status(FollowStep* step, const char* before, const char* after, bool ceiling = false);
  void Disconnect();
  bool Look(FollowStep* step);
  ZChar name_[kTextUnits];
  uint32_t pid_ = 0;
  // Held from connection to exit: the exit is seen on it, and the PID cannot
  // pass to another process meanwhile.
  ProcessHandle handle_ = nullptr;
  bool byPid_ = false;
  bool connected_ = false;
  bool announced_ = false;  // "waiting for" said since the last connection
  uint32_t peakMb_ = 0;
  TargetCeiling ceiling_;
  bool owners_ = false;
  bool sessionKnown_ = false;
  uint32_t session_ = 0;
  ZChar user_[kUserUnits] = {0};
  ThreadCensus census_;
  // The processes of the name told of as refused, each once.
  enum { kToldPids = 16 };
  uint32_t told_[kToldPids];
  uint32_t toldCount_ = 0;  // ever told; the last kToldPids kept
  ZChar refused_[kFollowStatusUnits];
};
