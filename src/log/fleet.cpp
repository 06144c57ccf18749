#include "log/fleet.h"

#include <stdlib.h>

#include <new>

#include "monitor/name_lookup.h"
#include "monitor/process_api.h"

namespace {

bool Holds(const uint32_t* pids, uint32_t count, uint32_t pid) {
  for (uint32_t i = 0; i < count; ++i)
    if (pids[i] == pid) return true;
  return false;
}

// The PIDs of the name in one snapshot of the system's list.
class OfName : public ProcessNameVisitor {
 public:
  explicit OfName(const ZChar* name) : name_(name) {}
  bool Visit(uint32_t pid, const ZChar* image) override {
    if (pid && ZEqual(image, name_) && count < Fleet::kMaxInstances) pids[count++] = pid;
    return true;
  }
  uint32_t pids[Fleet::kMaxInstances];
  uint32_t count = 0;

 private:
  const ZChar* name_;
};

}  // namespace

// Made in memory of their own, never by a throwing new: a process that runs
// all night must not end for one failed allocation.
Fleet::Instance* Fleet::Make(uint32_t pid) {
  void* room = malloc(sizeof(Instance));
  return room ? new (room) Instance(args_, args_.name, pid) : nullptr;
}

void Fleet::Forget(Instance* in) {
  in->~Instance();
  free(in);
}

Fleet::~Fleet() {
  for (uint32_t i = 0; i < count_; ++i) Forget(instances_[i]);
}

void Fleet::Step(const LogTime& time, int64_t unixSeconds, uint32_t tick, WatchActions* actions) {
  // Those that ended at the last interval, their exit told then.
  uint32_t kept = 0;
  for (uint32_t i = 0; i < count_; ++i) {
    if (instances_[i]->target.Done())
      Forget(instances_[i]);
    else
      instances_[kept++] = instances_[i];
  }
  count_ = kept;
  List(actions);
  for (uint32_t i = 0; i < count_; ++i)
    instances_[i]->target.Step(time, unixSeconds, tick, actions);
}

void Fleet::List(WatchActions* actions) {
  OfName found(args_.name);
  if (!Processes().VisitProcessNames(&found)) {
    // No snapshot (NT 4): the first process of the name, as the lookup finds it.
    const NamedProcess one = FindNamedProcess(args_.name, nullptr, 0);
    if (one.handle) Processes().CloseHandle(one.handle);
    if (one.pid) found.pids[found.count++] = one.pid;
  }
  // Forget refused processes that are gone.
  uint32_t kept = 0;
  for (uint32_t i = 0; i < refusedCount_; ++i)
    if (Holds(found.pids, found.count, refused_[i])) refused_[kept++] = refused_[i];
  refusedCount_ = kept;
  uint32_t error = 0;
  for (uint32_t i = 0; i < found.count; ++i) {
    const uint32_t pid = found.pids[i];
    bool followed = Holds(refused_, refusedCount_, pid);
    for (uint32_t k = 0; !followed && k < count_; ++k)
      followed = instances_[k]->follower.Pid() == pid;
    if (followed) continue;
    if (count_ == kMaxInstances) {
      if (!toldFull_) {
        ZChar line[kWatchLineUnits];
        ZBuilder(line, kWatchLineUnits)
            .AddAscii("zorlog: more than ")
            .AddInt(kMaxInstances)
            .AddAscii(" processes of ")
            .Add(args_.name)
            .AddAscii(": the others are not followed");
        actions->Say(line);
      }
      toldFull_ = true;
      break;
    }
    Instance* in = Make(pid);
    if (!in) break;
    in->follower.ReadOwners();
    ZChar reason[kFollowErrorUnits];
    if (in->follower.Start(reason)) {
      instances_[count_++] = in;
      continue;
    }
    const uint32_t why = Processes().LastError();
    Forget(in);
    if (why == kErrorInvalidParameter) continue;  // ended since the list was read
    error = why;
    refused_[refusedCount_++] = pid;
  }
  Refused(refusedCount_, error, actions);
}

void Fleet::Refused(uint32_t count, uint32_t error, WatchActions* actions) {
  if (count == toldRefused_) return;
  toldRefused_ = count;
  if (!count) return;
  ZChar line[kWatchLineUnits];
  ZBuilder b(line, kWatchLineUnits);
  b.AddAscii("zorlog: ").AddInt(count).AddAscii(count == 1 ? " process of " : " processes of ");
  b.Add(args_.name).AddAscii(count == 1 ? " runs" : " run").AddAscii(" but cannot be opened");
  if (error) {
    b.AddAscii(" (");
    FormatOpenError(error, b);
    b.AddAscii(")");
  }
  b.AddAscii(": start zorlog as their user or elevated");
  TellLine(args_, line, kEventCannotOpen, kEventWarning, actions);
}

uint32_t Fleet::Metrics(MetricsInstance* out, uint32_t max) const {
  uint32_t n = 0;
  for (uint32_t i = 0; i < count_ && n < max; ++i)
    n += instances_[i]->target.Metrics(out + n, max - n);
  return n;
}

void OneTarget::Step(const LogTime& time, int64_t unixSeconds, uint32_t tick,
                     WatchActions* actions) {
  follower_->Step(&step_, watch_.Sink());
  watch_.Step(step_, follower_->Name(), time, tick, actions);
  if (step_.exitLine >= 0) running_ = false;
  if (!step_.row) return;
  last_ = step_;
  lastAt_ = unixSeconds;
  running_ = true;
}

uint32_t OneTarget::Metrics(MetricsInstance* out, uint32_t max) const {
  if (!running_ || !max) return 0;
  SetMetrics(last_, follower_->Name(), watch_.WarningsOn(), lastAt_, out);
  return 1;
}
