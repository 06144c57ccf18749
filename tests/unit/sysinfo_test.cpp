#include <gtest/gtest.h>

#include "res/resource.h"
#include "support/fakes.h"
#include "sysinfo/os_identity.h"

namespace {

class SysinfoTest : public ::testing::Test {
 protected:
  // The OS text, or "<refused>".
  std::string Os(uint32_t major, uint32_t minor, const char* sp, uint64_t total) {
    system.major = major;
    system.minor = minor;
    system.servicePack = Z(sp);
    system.totalVirtual = total;
    ZChar* text = IdentifyOperatingSystem();
    if (!text) return "<refused>";
    std::string s = Narrow(text);
    ZFree(text);
    return s;
  }
  std::string Limit(uint64_t mb, uint64_t total) {
    system.totalVirtual = total;
    ZChar* text = FormatAddressLimitText(mb);
    std::string s = Narrow(text);
    ZFree(text);
    return s;
  }
  FakeSystemApi system;
  FakeStringTable strings;
};

const uint64_t kMB = 1ull << 20;

TEST_F(SysinfoTest, NamesTheKnownVersions) {
  EXPECT_EQ(Os(5, 0, "Service Pack 4", 2047 * kMB), "WINDOWS 2000 Service Pack 4");
  EXPECT_EQ(Os(5, 1, "Service Pack 3", 2047 * kMB), "WINDOWS XP Service Pack 3");
  EXPECT_EQ(Os(5, 2, "Service Pack 2", 2047 * kMB), "WINDOWS XP Service Pack 2");
  EXPECT_EQ(Os(6, 0, "", 3071 * kMB), "WINDOWS VISTA ");
  EXPECT_EQ(Os(6, 1, "Service Pack 1", 2047 * kMB), "WINDOWS 7 Service Pack 1");
  EXPECT_EQ(Os(6, 1, "", 2047 * kMB), "WINDOWS 7 ");
}

TEST_F(SysinfoTest, UnknownVersionsAreNamedButNeverRefused) {
  EXPECT_EQ(Os(6, 2, "", 4096 * kMB), "UNKNOWN OS");
  EXPECT_EQ(Os(10, 0, "", 4095 * kMB), "UNKNOWN OS");
  EXPECT_EQ(Os(0, 0, "", 0), "UNKNOWN OS");  // a failed version query
  EXPECT_EQ(Os(51, 0, "", 0), "UNKNOWN OS");  // "51.0" is not "5.1"
}

TEST_F(SysinfoTest, RefusesFrom3500WholeMegabytes) {
  EXPECT_EQ(Os(6, 0, "", 3500 * kMB), "<refused>");
  EXPECT_EQ(Os(6, 0, "", 3500 * kMB - 1), "WINDOWS VISTA ");
  EXPECT_EQ(Os(6, 1, "Service Pack 1", 4095 * kMB), "<refused>");
  EXPECT_EQ(Os(5, 1, "", 1ull << 40), "<refused>");  // high 32 bits set
}

TEST_F(SysinfoTest, LongServicePackTextIsCutAndTerminated) {
  std::string sp(120, 'x');
  std::string os = Os(5, 1, sp.c_str(), 2047 * kMB);
  EXPECT_EQ(os.size(), 63u);
  EXPECT_EQ(os, ("WINDOWS XP " + sp).substr(0, 63));
}

TEST_F(SysinfoTest, AddressLimitText) {
  EXPECT_EQ(Limit(2047, 2047 * kMB), "Max addressable memory: 2047MB");
  EXPECT_EQ(Limit(3071, 3071 * kMB), "Max addressable memory: 3071MB\r\n3GB SWITCH ENABLED");
  // The note depends on the measured space, not on the limit given.
  EXPECT_EQ(Limit(2047, 2500 * kMB), "Max addressable memory: 2047MB\r\n3GB SWITCH ENABLED");
  EXPECT_EQ(Limit(2047, 2500 * kMB - 1), "Max addressable memory: 2047MB");
  // A limit of 0 is measured on the spot.
  EXPECT_EQ(Limit(0, 4095 * kMB), "Max addressable memory: 4095MB\r\n3GB SWITCH ENABLED");
}

TEST_F(SysinfoTest, MissingStringsGiveBlankNamesNotGarbage) {
  strings.strings.clear();
  EXPECT_EQ(Os(5, 1, "SP", 2047 * kMB), " SP");
  EXPECT_EQ(Limit(3071, 3071 * kMB), "Max addressable memory: 3071MB\r\n");
}

}  // namespace
