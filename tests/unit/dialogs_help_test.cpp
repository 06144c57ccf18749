#include <gtest/gtest.h>
#include <stdio.h>

#include <string>

#include "dialogs/help_text.h"
#include "support/dialog_fakes.h"

namespace {

class HelpTextTest : public ::testing::Test {
 protected:
  void SetUp() override { ReleaseHelpText(); }
  void TearDown() override { ReleaseHelpText(); }

  // What the window shows for a resource of these bytes.
  std::string Shown(const std::string& bytes) {
    ReleaseHelpText();
    resource.bytes = bytes;
    return LoadedHelpText();
  }

  FakeHelpResource resource;
};

TEST_F(HelpTextTest, TheFirstStarBeforeAnyBackslashOrNulEndsTheText) {
  EXPECT_EQ(Shown("Help\r\nmore*hidden\r\n"), "Help\r\nmore");
  EXPECT_EQ(Shown("a*b*c"), "a");
  // After a backslash every star is ordinary text.
  EXPECT_EQ(Shown("C:\\x*y*"), "C:\\x*y*");
  // A leading backslash turns the marker off altogether.
  EXPECT_EQ(Shown("\\*shown"), "\\*shown");
  EXPECT_EQ(Shown("no marker at all\r\n"), "no marker at all\r\n");
  EXPECT_EQ(Shown(""), "");
  EXPECT_EQ(Shown(std::string("ab\0cd*e", 7)), "ab");
  EXPECT_EQ(Shown(std::string("ab*c\0d", 6)), "ab");
  // Bytes after the resource are neither shown nor taken for a marker.
  resource.beyond = "*def";
  EXPECT_EQ(Shown("abc"), "abc");
}

TEST_F(HelpTextTest, DoubleByteCharactersAreSteppedWhole) {
  resource.leadBytes = {0x81};
  // A backslash as a second byte does not turn the marker off...
  EXPECT_EQ(Shown("x\x81\\*y"), "x\x81\\");
  // ...and a star as a second byte is not the marker.
  EXPECT_EQ(Shown("\x81*a*b"), "\x81*a");
  // A lead byte at the very end does not step past the resource.
  EXPECT_EQ(Shown("ab\x81"), "ab\x81");
}

TEST_F(HelpTextTest, LoadedOnceAndKeptForTheRun) {
  resource.bytes = "first";
  const char* text = LoadedHelpText();
  resource.bytes = "second";
  EXPECT_EQ(LoadedHelpText(), text);
  EXPECT_STREQ(LoadedHelpText(), "first");
  EXPECT_EQ(resource.finds, 1);
}

TEST_F(HelpTextTest, AMissingResourceShowsNothingAndIsAskedForAgain) {
  resource.present = false;
  EXPECT_STREQ(LoadedHelpText(), "");
  resource.present = true;
  resource.bytes = "late";
  EXPECT_STREQ(LoadedHelpText(), "late");
  EXPECT_EQ(resource.finds, 2);
}

// The help text the program ships, read from the source tree.
std::string ShippedHelpText() {
  std::string path = __FILE__;
  path = path.substr(0, path.rfind("tests")) + "src/res/help.txt";
#ifdef _WIN32
  if (path[0] == '/') path = "Z:" + path;  // the host's file system under Wine
#endif
  std::string bytes;
  if (FILE* f = fopen(path.c_str(), "rb")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    fclose(f);
  }
  return bytes;
}

TEST_F(HelpTextTest, TheShippedTextIsShownWholeInItsTopicOrder) {
  std::string bytes = ShippedHelpText();
  ASSERT_FALSE(bytes.empty()) << "help.txt not found beside the sources";
  EXPECT_EQ(Shown(bytes), bytes);
  EXPECT_EQ(bytes.rfind("Zorvane 1.2\r\n\r\n", 0), 0u);
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    ASSERT_TRUE(c == '\r' || c == '\n' || (c >= 0x20 && c < 0x7F)) << "byte " << i;
    if (c == '\n') {
      ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
    }
    if (c == '\r') {
      ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "bare CR at " << i;
    }
  }
  // clang-format off
  const char* topics[] = {"2 GB", "3 GB", "Show Process Info", "Show Mem-Scale",
                          "Show ZOR in the SystemTray", "previous settings", "Connect To Process",
                          "Auto Connect", "xtop.exe", "Reset", "Default ZOR settings"};
  // clang-format on
  size_t at = 0;
  for (const char* topic : topics) {
    size_t found = bytes.find(topic, at);
    EXPECT_NE(found, std::string::npos) << topic << " missing or out of order";
    if (found != std::string::npos) at = found;
  }
}

}  // namespace
