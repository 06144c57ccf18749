// zorlog --all NAME: every process of an image name followed at once, each
// through its own held handle, with its own warnings, actions, exit line and
// maps; the system's process list read once an interval for all of them.
#pragma once
#include <stdint.h>

#include "log/log_args.h"
#include "log/log_watch.h"
#include "log/metrics.h"
#include "monitor/follow.h"

// One target followed by name or PID, as zorlog follows one and as the
// fleet follows each of its processes: its watch, this interval's reading
// and the figures of its last row, so that one loop writes the rows and
// metrics of either.
class OneTarget {
 public:
  OneTarget(const LogArgs& args, TargetFollower* follower) : follower_(follower), watch_(args) {}
  void Step(const LogTime& time, int64_t unixSeconds, uint32_t tick, WatchActions* actions);
  uint32_t Count() const { return 1; }
  const FollowStep& Reading(uint32_t) const { return step_; }
  uint32_t Metrics(MetricsInstance* out, uint32_t max) const;
  // The process followed by PID ended: the log with it.
  bool Done() const { return step_.finished; }

 private:
  TargetFollower* follower_;
  LogWatch watch_;
  FollowStep step_, last_;  // last_: the latest reading with a row
  int64_t lastAt_ = 0;
  bool running_ = false;  // read, and not ended since
};

class Fleet {
 public:
  enum { kMaxInstances = 256 };
  explicit Fleet(const LogArgs& args) : args_(args) {}
  ~Fleet();
  Fleet(const Fleet&) = delete;
  Fleet& operator=(const Fleet&) = delete;
  // One interval: the instances that ended at the last one forgotten, the
  // process list read, each new instance of the name that can be opened
  // followed, and each followed one read and watched. The processes of the
  // name that cannot be opened are told of, with their count, when it
  // changes.
  // unixSeconds: the time of this interval's readings.
  void Step(const LogTime& time, int64_t unixSeconds, uint32_t tick, WatchActions* actions);
  uint32_t Count() const { return count_; }
  // This interval's reading of instance i (a row, an exit or nothing).
  const FollowStep& Reading(uint32_t i) const { return instances_[i]->target.Reading(0); }
  // The figures of every instance still running that has been read, as of
  // its last reading; returns how many (at most max). Names and users point
  // into the fleet until its next step.
  uint32_t Metrics(MetricsInstance* out, uint32_t max) const;
  bool Done() const { return false; }  // new instances may come at any time

 private:
  // One process of the name, followed by its PID.
  struct Instance {
    Instance(const LogArgs& args, const ZChar* name, uint32_t pid)
        : follower(name, pid), target(args, &follower) {}
    TargetFollower follower;
    OneTarget target;
  };
  Instance* Make(uint32_t pid);
  void Forget(Instance* in);
  void List(WatchActions* actions);
  void Refused(uint32_t count, uint32_t error, WatchActions* actions);
  const LogArgs& args_;
  Instance* instances_[kMaxInstances] = {};
  uint32_t count_ = 0;
  // The processes of the name that could not be opened, not tried again
  // while they run, and the count last told.
  uint32_t refused_[kMaxInstances] = {};
  uint32_t refusedCount_ = 0, toldRefused_ = 0;
  bool toldFull_ = false;
};
