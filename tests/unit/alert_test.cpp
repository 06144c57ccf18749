// What zorlog.exe says and starts when a warning comes on or the target ends.
#include <gtest/gtest.h>

#include "log/alert_command.h"
#include "monitor/exit_code.h"
#include "support/fakes.h"

namespace {

TEST(AlertCommand, ReplacesKnownPlaceholdersAndLeavesTheRest) {
  const ZString name = Z("my cad.exe");
  AlertValues v;
  v.pid = 1234;
  v.name = name.c_str();
  v.virtualMb = 3900;
  v.largestUsableMb = 97;
  v.ceilingMb = 4095;
  v.kind = "warn-below";
  v.usableKnown = true;
  const struct {
    const char *pattern, *expected;
    bool known;
  } cases[] = {
      {"cmd /c echo {PID} {LARGEST_USABLE_MB}>>f", "cmd /c echo 1234 97>>f", true},
      {"x \"{NAME}\" {VIRTUAL_MB}/{CEILING_MB} {KIND}", "x \"my cad.exe\" 3900/4095 warn-below",
       true},
      {"{X} {PID {pid} %PID% {}{PID}}", "{X} {PID {pid} %PID% {}1234}", true},
      {"{LARGEST_USABLE_MB}|{CEILING_MB}|", "||", false},  // not known: nothing
      {"", "", true},
  };
  for (const auto& c : cases) {
    v.usableKnown = c.known;
    ZChar out[128];
    EXPECT_TRUE(ExpandAlertCommand(Z(c.pattern).c_str(), v, out, 128)) << c.pattern;
    EXPECT_EQ(Narrow(out), c.expected) << c.pattern;
  }
  ZChar small[8];
  EXPECT_FALSE(ExpandAlertCommand(Z("echo {NAME}").c_str(), v, small, 8));
  EXPECT_EQ(Narrow(small), "echo my");
}

TEST(ExitCode, NamesTheCodeInHexAndTheWellKnownOnesInWords) {
  const struct {
    uint32_t code;
    const char* text;
  } cases[] = {
      {0, "0x00000000 (a normal exit)"},
      {3, "0x00000003 (abort)"},
      {0xC0000017, "0xC0000017 (not enough memory)"},
      {0xE06D7363, "0xE06D7363 (C++ exception)"},
      {0xC0000409, "0xC0000409 (stack buffer overrun)"},
      {1, "0x00000001"},
      {0xFFFFFFFF, "0xFFFFFFFF"},
  };
  for (const auto& c : cases) {
    ZChar out[64];
    FormatExitCode(c.code, out, 64);
    EXPECT_EQ(Narrow(out), c.text);
  }
  ZChar cut[12];
  FormatExitCode(0xC0000005, cut, 12);
  EXPECT_EQ(Narrow(cut), "0xC0000005 ");
}

}  // namespace
