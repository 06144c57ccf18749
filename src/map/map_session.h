// What zormap.exe follows, reads and decides, apart from its window: the
// follower, the map and region table of the latest whole reading, the trend
// and warning, the state the title tells, and the reading a save writes.
// Each step is given the time, so that it can be driven by tests.
#pragma once
#include <stdint.h>

#include "map/history.h"
#include "map/log_instances.h"
#include "map/map_figures.h"
#include "monitor/follow.h"
#include "space/address_map.h"
#include "space/regions.h"

// GetTickCount's milliseconds, and the local time of day.
struct MapTime {
  uint32_t tick = 0;
  uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

enum MapState {
  kMapNoTarget,  // nothing given or chosen yet
  kMapWaiting,   // for a name, nothing read since
  kMapConnected,
  kMapExited,       // the PID followed is gone: its last reading stays
  kMapLastReading,  // the process of the name exited: its last reading stays while
                    // the name is awaited again
  kMapOpened,       // a saved file shown: nothing is followed
};

// What a step changed, for the window to carry out.
struct MapChanges {
  bool title = false;
  bool figures = false;  // their text
  bool look = false;     // their colour: the warning or the last reading turned on or off
  bool flash = false;    // the warning turned on
  bool map = false;      // a cell or the largest block
  bool legend = false;   // a kind's total
  bool reading = false;  // a new whole reading: the panels may change
  bool history = false;  // a reading went into the history, as historyChange says
  HistoryChange historyChange = {true, 0};
};

enum { kSavedNameUnits = 260 };

// One reading as a save writes it, with the process and time it was taken.
struct MapSnapshot {
  RegionTable regions;
  ZChar name[kTextUnits] = {0};
  uint32_t pid = 0;
  MapTime time;
  ZChar file[kSavedNameUnits] = {0};  // an opened map's own file name, proposed again
};

enum { kMapTitleUnits = 160, kMapFiguresUnits = 512 };

class MapSession {
 public:
  MapSession();
  void SetThresholds(const WarningThresholds& t) { thresholds_ = t; }
  const WarningThresholds& Thresholds() const { return thresholds_; }
  // A name (pid 0) or a PID given on the command line: false with a reason
  // for a PID that is not running.
  bool Follow(const ZChar* name, uint32_t pid, ZChar* reason);
  // A row picked from a list that may be minutes old: that PID while it
  // runs under that name, otherwise and after its exit the name.
  void FollowChosen(const ZChar* name, uint32_t pid);
  // Forgets the target, closing what it holds.
  void Stop();
  MapChanges Step(const MapTime& now);

  MapState State() const { return state_; }
  // The figures are of a process gone.
  bool Stale() const { return state_ == kMapExited || state_ == kMapLastReading; }
  bool Warning() const { return warning_.On(); }
  bool HasReading() const { return readingPid_ != 0; }
  const ZChar* Title() const { return title_; }
  const ZChar* FiguresText() const { return figuresText_; }
  const MapFigures& Figures() const { return figures_; }
  const AddressMap& Map() const { return map_; }
  const RegionTable& Regions() const { return regions_; }
  // The reading shown, kept apart from the steps that follow; false when
  // there is none or memory runs out.
  bool Snapshot(MapSnapshot* out) const;
  // The session's readings against time, or the opened log's.
  const History& Past() const { return history_; }
  // A saved file instead of a target (see map_session_opened.cpp): the log's rows,
  // its last as the figures; or the saved map's regions.
  // trendMinutes: as the rows give it by the live rule; pid: the one process
  // whose rows they are, or kEveryPid.
  void ShowLog(const ZChar* path, const History& rows, const FollowStep& last, int32_t trendMinutes,
               uint32_t skipped, uint32_t pid = kEveryPid);
  void ShowSavedMap(const ZChar* path, const class MapReader& saved);

 private:
  void Restart();
  void Read(const FollowStep& step, const MapTime& now, MapChanges* c);
  // The map of the regions kept, each cell of the use that takes most of it.
  void MapOfRegions(AddressMap* out);
  void Retitle(MapChanges* c);
  void AddExitCode(ZBuilder& b) const;  // " with 0x... (words)" when it is known
  void Open(const ZChar* path);
  void SetFigures(const FollowStep& step);
  TargetFollower follower_;
  MapState state_ = kMapNoTarget;
  bool chosen_ = false;  // following a picked PID, the name after it
  ZChar name_[kTextUnits] = {0};
  AddressMapBuilder builder_;
  AddressMap map_;
  RegionTable regions_;
  MapFigures figures_;
  Trend trend_;
  ::Warning warning_;
  WarningThresholds thresholds_;
  uint32_t readingPid_ = 0;  // of the reading shown, 0 before the first
  ZChar readingName_[kTextUnits] = {0};
  MapTime readingTime_, exitTime_;
  uint32_t exitPid_ = 0;
  bool exitCodeKnown_ = false;
  uint32_t exitCode_ = 0;
  ZChar title_[kMapTitleUnits] = {0};
  ZChar figuresText_[kMapFiguresUnits] = {0};
  History history_;
  HistoryClock clock_;
  ZChar openedFile_[kSavedNameUnits] = {0};  // an opened map's file name
  ZChar opened_[kMapTitleUnits] = {0};       // what the title says of an opened file
};

// "<image>-<pid>-<yyyymmdd-hhmmss>.csv" of a reading, for the save dialog;
// an opened map's own name.
void ProposeCsvName(const MapSnapshot& s, ZChar* out, size_t units);
// A command line's one argument that names a file rather than a process: it
// holds a path separator or ends in .csv.
bool IsFileArgument(const ZChar* arg);
