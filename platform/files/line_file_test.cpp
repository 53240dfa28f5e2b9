#include "platform/files/line_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/files/errors.h"
#include "platform/runtime/test_support.h"

namespace files {
namespace {

class LineFileTest : public ::testing::Test {
 protected:
  std::vector<std::string> ReadAll(const std::string& content, size_t max_length = 256) {
    std::ofstream(path_, std::ios::binary) << content;
    LineFile file;
    EXPECT_EQ(file.Open(path_, 50), 0);
    std::vector<std::string> lines;
    std::string line;
    while (file.ReadLine(&line, max_length) == 0) lines.push_back(line);
    EXPECT_EQ(file.Code(), kRecordNotAvailable);
    EXPECT_EQ(file.Close(), 0);
    return lines;
  }

  const runtime::test::TestFolder folder_;
  const std::string path_ = (folder_.path() / "lines.log").string();
};

TEST_F(LineFileTest, LinesEndAtCrLfOrCtrlZAndComeBackExpandedAndCut) {
  using Lines = std::vector<std::string>;
  // CR LF ends a line; the last line needs no end; an empty line is a line.
  EXPECT_EQ(ReadAll("uno\r\n\r\ndos"), (Lines{"uno", "", "dos"}));
  EXPECT_EQ(ReadAll("uno\r\n"), (Lines{"uno"}));
  EXPECT_EQ(ReadAll(""), Lines{});
  // Tabs expand to every 8 columns; trailing blanks are cut.
  EXPECT_EQ(ReadAll("a\tb\r\nabcdefgh\tc\r\n\t\r\nx   \t \r\n"),
            (Lines{"a       b", "abcdefgh        c", "", "x"}));
  // Ctrl-Z ends the file, also in the middle of a line.
  EXPECT_EQ(ReadAll("uno\r\ndo\x1As\r\ntres\r\n"), (Lines{"uno", "do"}));
  EXPECT_EQ(ReadAll("uno\r\n\x1A"), (Lines{"uno"}));
  // A line is cut to the caller's size, then its trailing blanks.
  EXPECT_EQ(ReadAll("abcdef\r\nab    cd\r\n", 4), (Lines{"abcd", "ab"}));
  // Code page 1252 bytes pass unchanged.
  EXPECT_EQ(ReadAll("Ca\xF1" "a\r\n"), (Lines{"Ca\xF1" "a"}));
}

TEST_F(LineFileTest, MissingFileFailsAfterItsAttempts) {
  LineFile file;
  EXPECT_EQ(file.Open(path_, 3), kFileNotFound);
  EXPECT_FALSE(file.IsOpen());
  std::string line;
  EXPECT_EQ(file.ReadLine(&line, 10), kFileNotOpen);
}

}  // namespace
}  // namespace files
