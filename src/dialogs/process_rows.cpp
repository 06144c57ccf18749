#include "dialogs/process_rows.h"

#include <stdlib.h>
#include <string.h>

#include "monitor/monitor_state.h"
#include "monitor/vsize.h"

namespace {
ProcessRow* g_firstSlots[kProcessRowSlots + 1];  // one more for the end's null
size_t g_slots = kProcessRowSlots;                // usable slots of the current table
}  // namespace

ProcessRow** g_processRows = g_firstSlots;
SortDirections g_sortDirections = {true, true, true};

namespace {

bool g_rowsInUse = false;

// Room for one more row; false when memory runs out (the rows so far stay).
bool MakeRoom(size_t count) {
  if (count < g_slots) return true;
  size_t slots = g_slots * 2;
  ProcessRow** bigger = static_cast<ProcessRow**>(malloc((slots + 1) * sizeof(ProcessRow*)));
  if (!bigger) return false;
  memcpy(bigger, g_processRows, count * sizeof(ProcessRow*));
  memset(bigger + count, 0, (slots + 1 - count) * sizeof(ProcessRow*));
  if (g_processRows != g_firstSlots) free(g_processRows);
  g_processRows = bigger;
  g_slots = slots;
  return true;
}

// A token of the list text into a row field: bounded, always terminated.
void CopySpan(ZChar* dst, const ZChar* src, size_t n) {
  if (n > kTextUnits - 1) n = kTextUnits - 1;
  memcpy(dst, src, n * sizeof(ZChar));
  dst[n] = 0;
}

ProcessRow* MakeRow(const ZChar* name, size_t nameLen, const ZChar* pid, size_t pidLen) {
  ProcessRow* row = static_cast<ProcessRow*>(malloc(sizeof(ProcessRow)));
  if (!row) return nullptr;
  CopySpan(row->nameText, name, nameLen);
  CopySpan(row->pidText, pid, pidLen);
  row->pid = ParseDecimal(pid, pidLen);
  row->sizeKb = QueryProcessVirtualSize(static_cast<uint32_t>(row->pid));
  row->sizeMb = row->sizeKb >> 10;
  ZFormatInt(row->mbText, kTextUnits, row->sizeMb);
  return row;
}

bool IsBlank(ZChar c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

ZChar FoldAsciiLetter(ZChar c) { return (c >= 'A' && c <= 'Z') ? static_cast<ZChar>(c + 32) : c; }

int Directed(int order, bool firstOrder) { return firstOrder ? order : -order; }

}  // namespace

int32_t ParseDecimal(const ZChar* s, size_t n) {
  size_t i = 0;
  while (i < n && s[i] && IsBlank(s[i])) ++i;
  bool negative = false;
  if (i < n && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  const int64_t limit = negative ? 2147483648LL : 2147483647LL;
  int64_t value = 0;
  for (; i < n && s[i] >= '0' && s[i] <= '9'; ++i) {
    value = value * 10 + (s[i] - '0');
    if (value > limit) value = limit;  // saturates, as the runtime does
  }
  return static_cast<int32_t>(negative ? -value : value);
}

int FillProcessRows(const ZChar* text) {
  // The table belongs to the chooser that is showing it; never pull rows
  // from under its list.
  if (g_rowsInUse) return 0;
  ReleaseProcessRows();
  if (!text) return 0;

  int count = 0;
  const ZChar* tokenStart = text;
  const ZChar* name = nullptr;
  size_t nameLen = 0;
  for (const ZChar* p = text; *p; ++p) {
    if (*p != '\n') continue;
    size_t len = static_cast<size_t>(p - tokenStart);
    if (!name) {
      name = tokenStart;
      nameLen = len;
    } else {
      if (!MakeRoom(static_cast<size_t>(count))) break;
      ProcessRow* row = MakeRow(name, nameLen, tokenStart, len);
      if (row) g_processRows[count++] = row;
      name = nullptr;
    }
    tokenStart = p + 1;
  }
  return count;
}

void ReleaseProcessRows() {
  if (g_rowsInUse) return;
  for (size_t i = 0; g_processRows[i]; ++i) free(g_processRows[i]);
  if (g_processRows != g_firstSlots) free(g_processRows);
  memset(g_firstSlots, 0, sizeof g_firstSlots);
  g_processRows = g_firstSlots;
  g_slots = kProcessRowSlots;
}

void SetProcessRowsInUse(bool inUse) { g_rowsInUse = inUse; }
bool ProcessRowsInUse() { return g_rowsInUse; }

void ResetSortDirections() { g_sortDirections = {true, true, true}; }

void ToggleSortDirection(int column) {
  switch (column) {
    case kColumnName:
      g_sortDirections.name = !g_sortDirections.name;
      break;
    case kColumnPid:
      g_sortDirections.pid = !g_sortDirections.pid;
      break;
    case kColumnSize:
      g_sortDirections.size = !g_sortDirections.size;
      break;
  }
}

int CompareRowsByName(const ProcessRow* a, const ProcessRow* b) {
  int order = 0;
  for (int i = 0; i < kTextUnits; ++i) {
    ZChar x = FoldAsciiLetter(a->nameText[i]);
    ZChar y = FoldAsciiLetter(b->nameText[i]);
    if (x != y) {
      order = x < y ? -1 : 1;  // ZChar is unsigned: plain unit order
      break;
    }
    if (!x) break;
  }
  return Directed(order, g_sortDirections.name);
}

int CompareRowsByPid(const ProcessRow* a, const ProcessRow* b) {
  int order = a->pid > b->pid ? -1 : a->pid < b->pid ? 1 : 0;
  return Directed(order, g_sortDirections.pid);
}

int CompareRowsBySize(const ProcessRow* a, const ProcessRow* b) {
  int order = a->sizeKb > b->sizeKb ? -1 : a->sizeKb < b->sizeKb ? 1 : 0;
  return Directed(order, g_sortDirections.size);
}

void ChooseProcessRow(const ProcessRow& row) {
  MonitorState& m = g_monitor;
  m.targetPid = static_cast<uint32_t>(row.pid);
  ZFormatInt(m.pidText, kTextUnits, static_cast<int32_t>(m.targetPid));
  ZCopy(m.targetName, kTextUnits, row.nameText);
  // Sees the waiting flag as it was: a process gone meanwhile leaves "-"
  // as the name when nothing was awaited before.
  UpdateTargetInfo();
  m.waiting = true;
  m.connected = m.targetPid != 0;
}
