#include "space/map_reader.h"

#include <stdlib.h>
#include <string.h>

#include "common/char_builder.h"
#include "monitor/process_api.h"

namespace {

enum Column { kBase, kSize, kState, kType, kProtect, kAllocationBase, kName, kUse, kColumns };

bool Is(const char* text, uint32_t length, const char* word) {
  return strlen(word) == length && !memcmp(text, word, length);
}

// The index of text in words (null-terminated list), or -1.
int Lookup(const char* text, uint32_t length, const char* const* words) {
  for (int i = 0; words[i]; ++i)
    if (Is(text, length, words[i])) return i;
  return -1;
}

const char* const kStates[] = {"commit", "reserve", "free", nullptr};
const uint32_t kStateValues[] = {kMemCommit, kMemReserve, kMemFree};
const char* const kTypes[] = {"", "image", "mapped", "private", nullptr};
const uint32_t kTypeValues[] = {0, kMemImage, kMemMapped, kMemPrivate};

// The thread of "thread 1234", or 0 for any other name.
uint32_t ThreadOf(const ZChar* name) {
  const char* word = "thread ";
  for (; *word; ++word, ++name)
    if (*name != *word) return 0;
  uint64_t tid = 0;
  for (; *name >= '0' && *name <= '9' && tid <= 0xFFFFFFFFu; ++name) tid = tid * 10 + (*name - '0');
  return *name || tid > 0xFFFFFFFFu ? 0 : static_cast<uint32_t>(tid);
}

}  // namespace

MapReader::~MapReader() {
  free(regions_);
  for (uint32_t i = 0; i < nameCount_; ++i) ZFree(names_[i].name);
  free(names_);
}

bool MapReader::Header(const char* line, uint32_t length) {
  // kMapCsvHeader, and the same without its last column, use.
  const uint32_t plain = static_cast<uint32_t>(strlen(kMapCsvHeader) - strlen(",use\r\n"));
  if (length < plain || memcmp(line, kMapCsvHeader, plain)) return false;
  hasUse_ = length > plain;
  return !hasUse_ || Is(line + plain, length - plain, ",use");
}

bool MapReader::LooksLikeRow(const char* line, uint32_t length) const {
  const uint32_t word = static_cast<uint32_t>(strlen(kMapCsvCeiling));
  return (length >= 2 && line[0] == '0' && line[1] == 'x') ||
         (length > word && !memcmp(line, kMapCsvCeiling, word) && line[word] == ',');
}

bool MapReader::CeilingLine(const char* line, uint32_t length, char* why) {
  CsvFields f;
  uint64_t mb = 0, last = 0, stack = 0;
  if (count_ || ceiling_.known)
    CharBuilder(why, kCsvWhyChars).Add("the ceiling comes once, before the regions");
  else if (!SplitCsv(line, length, &f) || f.count != 4 ||
           !ParseCsvNumber(f.text[1], f.length[1], false, &mb) || !mb || mb > 4096 ||
           !ParseCsvNumber(f.text[2], f.length[2], true, &last) || last > 0xFFFFFFFFu ||
           (last >> 20) + 1 < mb || !ParseCsvNumber(f.text[3], f.length[3], false, &stack) ||
           stack > 0xFFFFFFFFu)
    CharBuilder(why, kCsvWhyChars).Add("the ceiling is not MB, last usable byte, stack size");
  if (*why) return false;
  ceiling_.known = true;
  ceiling_.mb = static_cast<uint32_t>(mb);
  ceiling_.lastByte = last;
  ceiling_.stackReserve = stack;
  ZBuilder(ceiling_.reason, kCeilingReasonUnits).AddAscii("as the saved map records it");
  return true;
}

bool MapReader::Row(const char* line, uint32_t length, char* why) {
  if (line[0] != '0') return CeilingLine(line, length, why);
  CsvFields f;
  CharBuilder says(why, kCsvWhyChars);
  const uint32_t columns = hasUse_ ? kColumns : kUse;
  if (!SplitCsv(line, length, &f) || f.count != columns) {
    says.Add("it has ").Num(f.count).Add(" fields, the header ").Num(columns);
    return false;
  }
  MapRegion r;
  uint64_t protect;
  const int state = Lookup(f.text[kState], f.length[kState], kStates);
  const int type = Lookup(f.text[kType], f.length[kType], kTypes);
  const int use = hasUse_ ? Lookup(f.text[kUse], f.length[kUse], kMapUseNames) : 0;
  ZChar name[kImagePathUnits];
  if (!ParseCsvNumber(f.text[kBase], f.length[kBase], true, &r.base) ||
      !ParseCsvNumber(f.text[kSize], f.length[kSize], false, &r.size) || !r.size ||
      r.base + r.size < r.base)
    says.Add("the base or size is not a number, or they run past the address space");
  else if (state < 0 || type < 0 || use < 0)
    says.Add("unknown state, type or use");
  else if (!ParseCsvNumber(f.text[kProtect], f.length[kProtect], true, &protect) ||
           protect > 0xFFFFFFFFu ||
           !ParseCsvNumber(f.text[kAllocationBase], f.length[kAllocationBase], true,
                           &r.allocationBase))
    says.Add("the protection or allocation base is not a hexadecimal number");
  else if (!Unquote(f.text[kName], f.length[kName], name, kImagePathUnits))
    says.Add("the name's quotes are wrong");
  else if (count_ && r.base < regions_[count_ - 1].base + regions_[count_ - 1].size)
    says.Add("the region overlaps the one before");
  if (*why) return false;
  r.state = kStateValues[state];
  r.type = kTypeValues[type];
  r.protect = static_cast<uint32_t>(protect);
  if (count_ == capacity_) {
    const uint32_t more = capacity_ ? capacity_ * 2 : 256;
    MapRegion* grown = static_cast<MapRegion*>(realloc(regions_, more * sizeof(MapRegion)));
    if (grown) regions_ = grown;
    Named* names = grown ? static_cast<Named*>(realloc(names_, more * sizeof(Named))) : nullptr;
    if (!names) {
      says.Add("out of memory");
      return false;
    }
    names_ = names;
    capacity_ = more;
  }
  r.use = static_cast<PrivateUse>(use);
  // A stack or thread block is named by its thread, which the region keeps;
  // a file's name is kept once an allocation, from its first region with one.
  if (r.use == kUseStack || r.use == kUseThreadBlock)
    r.tid = ThreadOf(name);
  else if (*name && (!nameCount_ || names_[nameCount_ - 1].base != r.allocationBase)) {
    ZChar* copy = ZDup(name);
    if (copy && nameCount_ && names_[nameCount_ - 1].base > r.allocationBase) namesSorted_ = false;
    if (copy) names_[nameCount_++] = {r.allocationBase, copy};
  }
  regions_[count_++] = r;
  return true;
}

const ZChar* MapReader::NameOf(uint64_t allocationBase) const {
  // Opening names every allocation through here: a file in address order
  // (every saved one) is searched by halves, anything else in turn.
  if (!namesSorted_) {
    for (uint32_t i = 0; i < nameCount_; ++i)
      if (names_[i].base == allocationBase) return names_[i].name;
    return nullptr;
  }
  const Named* found = FindByBase(names_, nameCount_, allocationBase);
  return found ? found->name : nullptr;
}

uint64_t MapReader::Top() const {
  return count_ ? regions_[count_ - 1].base + regions_[count_ - 1].size - 1 : 0;
}

AddressSpaceStats MapReader::Figures() const {
  AddressSpaceStats s;
  s.regions = count_;
  s.whole = true;
  const uint32_t granularity = ceiling_.known ? CachedSystemInfo().allocationGranularity : 1;
  for (uint32_t i = 0; i < count_; ++i) {
    const MapRegion& r = regions_[i];
    const int kind = r.type == kMemImage    ? kKindImage
                     : r.type == kMemMapped ? kKindMapped
                                            : kKindPrivate;
    uint64_t from, to;
    if (r.state == kMemFree) {
      s.free += r.size;
      if (r.size > s.largestFree) s.largestFree = r.size;
      // As the walk counts them, against the ceiling recorded.
      if (!ceiling_.known ||
          !UsablePart(r.base, r.base + r.size, ceiling_.lastByte, granularity, &from, &to))
        continue;
      s.usableFree += to - from;
      if (to - from > s.largestUsable) s.largestUsable = to - from;
      const uint64_t below = to < 0x80000000u ? to : 0x80000000u;
      if (from < below && below - from > s.largestUsableBelow2G)
        s.largestUsableBelow2G = below - from;
    } else if (r.state == kMemCommit) {
      s.committed += r.size;
      s.committedByKind[kind] += r.size;
    } else {
      s.reserved += r.size;
      s.reservedByKind[kind] += r.size;
    }
  }
  return s;
}
