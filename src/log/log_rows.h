// zorlog.exe's rows on their way out: a row that cannot be written whole (a
// full disk, which the dying program may well cause) is cut back out of the
// file and counted as lost, and the log goes on; the next row tries again.
#pragma once
#include <stdint.h>

#include "common/ztext.h"

// Where the rows go: a file, or standard output that may be a pipe.
class RowOutput {
 public:
  virtual ~RowOutput() {}
  // A file can be cut back; a pipe or console cannot.
  virtual bool IsFile() = 0;
  virtual bool Size(uint64_t* bytes) = 0;
  // False when not all the bytes were written.
  virtual bool Write(const char* data, uint32_t bytes) = 0;
  // The file cut back to that size.
  virtual bool CutBack(uint64_t bytes) = 0;
};

enum RowResult {
  kRowWritten,
  kRowLost,   // not written, nothing of it left: the log goes on
  kRowFatal,  // the output cannot take rows any more, or keeps part of one
};

enum { kRowNoteUnits = 96 };

class RowWriter {
 public:
  // note, when it is not empty afterwards, is a status line to tell: the
  // first row lost of a run, or how many were lost once rows go again.
  RowResult Write(RowOutput* out, const char* row, uint32_t bytes, ZChar* note);
  uint32_t Written() const { return written_; }

 private:
  uint32_t written_ = 0;
  uint32_t lost_ = 0;  // since the last row written
};
