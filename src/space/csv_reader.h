// The reading of a CSV file this project wrote, fed in chunks of any size in
// one pass: line 1 must be one of our headers; a line that begins like a row
// must parse, or the file is refused with that line's number and why; any
// other line (a status line caught with 2>&1) is skipped and counted; an
// unfinished last line (a file still being written) is left out.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "common/ztext.h"

enum { kCsvLineMax = 8192, kCsvWhyChars = 96, kCsvFieldsMax = 32 };

// The fields of one line, split at commas outside double quotes; a quoted
// field keeps its quotes (see Unquote).
struct CsvFields {
  uint32_t count = 0;
  const char* text[kCsvFieldsMax];
  uint32_t length[kCsvFieldsMax];
};
// False when the line has more than kCsvFieldsMax fields.
bool SplitCsv(const char* line, uint32_t length, CsvFields* out);
// A decimal or (hex true) 0x-prefixed number that fits in 64 bits.
bool ParseCsvNumber(const char* text, uint32_t length, bool hex, uint64_t* value);
// A field's text without its quotes ("" inside as "), UTF-8 to UTF-16,
// always terminated; false when the quotes are wrong.
bool Unquote(const char* text, uint32_t length, ZChar* out, size_t units);

// Which of our files a first chunk begins: a zorlog log or a saved map
// (by the header's first column); a log otherwise, which its reader refuses.
enum SavedKind { kSavedLog, kSavedMap };
SavedKind KindOfSaved(const char* start, size_t size);

class CsvReader {
 public:
  virtual ~CsvReader() {}
  // False once the file is refused; what follows is then ignored.
  bool Feed(const char* data, size_t size);
  // After the last chunk: false when the file is refused.
  bool Finish();
  bool Refused() const { return errorLine_ != 0; }
  uint32_t ErrorLine() const { return errorLine_; }  // 1: the header
  const char* Why() const { return why_; }
  // "line N: why", for the message that refuses the file.
  void Describe(ZChar* out, size_t units) const;
  uint32_t Rows() const { return rows_; }
  uint32_t Skipped() const { return skipped_; }

 protected:
  // False when the first line is no header of this kind.
  virtual bool Header(const char* line, uint32_t length) = 0;
  virtual bool LooksLikeRow(const char* line, uint32_t length) const = 0;
  // False with the reason in why (kCsvWhyChars).
  virtual bool Row(const char* line, uint32_t length, char* why) = 0;

 private:
  void Line();
  void Refuse(const char* why);
  char line_[kCsvLineMax];
  uint32_t length_ = 0;
  bool overlong_ = false;
  uint32_t lineNumber_ = 0, rows_ = 0, skipped_ = 0, errorLine_ = 0;
  char why_[kCsvWhyChars] = {0};
};
