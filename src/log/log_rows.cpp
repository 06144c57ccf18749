#include "log/log_rows.h"

RowResult RowWriter::Write(RowOutput* out, const char* row, uint32_t bytes, ZChar* note) {
  note[0] = 0;
  if (!out->IsFile()) {
    if (!out->Write(row, bytes)) return kRowFatal;  // a pipe keeps what it took
    ++written_;
    return kRowWritten;
  }
  uint64_t before = 0;
  const bool sized = out->Size(&before);
  if (sized && out->Write(row, bytes)) {
    ++written_;
    if (lost_)
      ZBuilder(note, kRowNoteUnits)
          .AddAscii("zorlog: rows are written again; ")
          .AddInt(lost_)
          .AddAscii(lost_ == 1 ? " row was lost" : " rows were lost");
    lost_ = 0;
    return kRowWritten;
  }
  // Unsized, nothing was written; otherwise part of it may have been.
  if (sized && !out->CutBack(before)) return kRowFatal;
  if (!lost_++)
    ZBuilder(note, kRowNoteUnits)
        .AddAscii("zorlog: cannot write a row; trying again each interval");
  return kRowLost;
}
