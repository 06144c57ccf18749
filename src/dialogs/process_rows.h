// The process chooser's rows, their table and their order: everything of the
// chooser that does not need a window.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/ztext.h"

// One listed process. The list view's items point at these, so they live
// until the main dialog releases them after the chooser has closed.
struct ProcessRow {
  ZChar nameText[kTextUnits];
  ZChar pidText[kTextUnits];  // as in the list text, bounded
  ZChar mbText[kTextUnits];
  int32_t pid;
  uint32_t sizeKb;
  uint32_t sizeMb;
};

enum { kProcessRowSlots = 1024 };  // the table's first size; it grows as needed

// The rows in list-text order, then a null. The table starts with 1024 slots
// and grows, as the list text does, so that no listed process is lost.
extern ProcessRow** g_processRows;

// Releases the rows of the previous opening (if the caller has not already),
// then parses the list text ("name\nPID\n" records) into fresh, measured rows.
// A name without a PID and units after the last line feed make no row.
// Returns the number of rows.
int FillProcessRows(const ZChar* listText);

// Frees every occupied slot and empties it, so a second call frees nothing.
// Does nothing while a chooser is showing the rows.
void ReleaseProcessRows();

// Set by the chooser for as long as its list refers to the rows.
void SetProcessRowsInUse(bool inUse);
bool ProcessRowsInUse();

// The C runtime's _wtoi on at most n units of s: leading blanks, an optional
// sign, then leading decimal digits; 0 when there are none, clamped to the
// 32-bit range on overflow.
int32_t ParseDecimal(const ZChar* s, size_t n);

// Column directions: set means the column's first order (names A to Z, PIDs
// and sizes largest first). Each opening sets all three; each sort toggles
// its own column's flag after sorting.
struct SortDirections {
  bool name;
  bool pid;
  bool size;
};
extern SortDirections g_sortDirections;

enum { kColumnName = 0, kColumnPid = 1, kColumnSize = 2, kColumnCount = 3 };

void ResetSortDirections();
void ToggleSortDirection(int column);

// Negative when a goes first, positive when b does, 0 when equal.
int CompareRowsByName(const ProcessRow* a, const ProcessRow* b);
int CompareRowsByPid(const ProcessRow* a, const ProcessRow* b);
int CompareRowsBySize(const ProcessRow* a, const ProcessRow* b);

// Makes the row the monitor's target: its PID connected when it is still
// running, its name awaited from now on.
void ChooseProcessRow(const ProcessRow& row);
