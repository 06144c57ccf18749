// A saved file zormap opens, whatever it holds, fed in chunks of any size:
// both readers either refuse it with a line number or keep every row they
// counted, regions in address order with a known use, texts terminated.
#include <stdlib.h>
#include <string.h>

#include <memory>

#include "fuzz_input.h"
#include "map/history.h"
#include "map/opened_log.h"
#include "space/log_reader.h"
#include "space/map_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const size_t chunk = in.Byte() % 64 + 1;
  const std::vector<uint8_t> text = in.Bytes(in.Left());
  const char* bytes = reinterpret_cast<const char*>(text.data());
  auto history = std::make_unique<History>();
  auto instances = std::make_unique<LogInstances>();
  OpenedLog opened(history.get(), kEveryPid, instances.get());
  LogReader log(&opened);
  MapReader map;
  CsvReader* readers[] = {&log, &map};
  size_t lines = 0;
  for (uint8_t c : text) lines += c == '\n';
  for (CsvReader* reader : readers) {
    for (size_t i = 0; i < text.size(); i += chunk)
      reader->Feed(bytes + i, chunk < text.size() - i ? chunk : text.size() - i);
    const bool read = reader->Finish();
    if (read == reader->Refused() || reader->Rows() + reader->Skipped() > (lines ? lines - 1 : 0))
      abort();
    if (!read && (!reader->ErrorLine() || reader->ErrorLine() > lines + 1)) abort();
    ZChar why[128];
    reader->Describe(why, 128);
    if (ZLenBounded(why, 128) >= 128) abort();
  }
  if (log.Refused() ? false : history->Readings() != log.Rows()) abort();
  // Each row under its PID (unless past the list), each user terminated.
  instances->Overlap();  // over whatever the rows hold
  uint32_t counted = 0;
  for (uint32_t i = 0; i < instances->Count(); ++i) {
    counted += instances->At(i).rows;
    if (ZLenBounded(instances->At(i).user, kUserUnits) >= kUserUnits) abort();
  }
  if (!log.Refused() && !instances->Unlisted() && counted != log.Rows()) abort();
  // A ceiling is whole when it is read at all, and its last byte within it.
  const TargetCeiling& ceiling = map.Ceiling();
  if (ceiling.known && (!ceiling.mb || (ceiling.lastByte >> 20) + 1 < ceiling.mb)) abort();
  for (uint32_t i = 0; i < map.Count(); ++i) {
    const MapRegion& r = map.At(i);
    if (i && r.base < map.At(i - 1).base + map.At(i - 1).size) abort();
    // Only a stack or thread block names a thread.
    if (r.use >= kPrivateUses || (r.tid && r.use != kUseStack && r.use != kUseThreadBlock)) abort();
  }
  return 0;
}
