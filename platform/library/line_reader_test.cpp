#include "platform/library/line_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/runtime/test_support.h"

namespace library {
namespace {

namespace fs = std::filesystem;

class LineReaderTest : public testing::Test {
 protected:
  void Write(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }

  std::vector<std::string> ReadAll(const std::string& bytes, size_t size = 257) {
    Write(bytes);
    LineReader reader;
    EXPECT_EQ(reader.Init(path_.string()), 0);
    std::vector<std::string> lines;
    std::string line;
    while (reader.GetNextLine(&line, size) == 0) lines.push_back(line);
    reader.Close();
    return lines;
  }

  const runtime::test::TestFolder folder_;
  const fs::path path_ = folder_.path() / "reader.log";
};

TEST_F(LineReaderTest, TakesUtf8LinesAsTheyAreAndOthersAsCodePage1252) {
  using Lines = std::vector<std::string>;
  struct Case {
    std::string bytes;
    Lines lines;
  };
  const Case cases[] = {
      {"C:\\Datos\\Adm\\CFPARAME.VQF\r\n", {"C:\\Datos\\Adm\\CFPARAME.VQF"}},
      {"/datos/n\xC3\xB3mina/a\xC3\xB1o.vqf\r\n", {"/datos/nómina/año.vqf"}},  // UTF-8
      {"C:\\N\xF3mina\\A\xD1O.VQF\r\n", {"C:\\Nómina\\AÑO.VQF"}},              // code page 1252
      // One line of each kind in one file: each line is decided on its own.
      {"\xC3\xB1\r\n\xF1\r\n", {"ñ", "ñ"}},
      // A UTF-8 lead byte without its continuation, and an overlong form, are not UTF-8.
      {"\xC3(\r\n\xC0\xAF\r\n", {"Ã(", "À¯"}},
      // The driver's own rules come through: tabs every 8 columns, blanks cut, Ctrl-Z ends.
      {"a\tb   \r\nfin\x1A" "basura\r\n", {"a       b", "fin"}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadAll(c.bytes), c.lines) << c.bytes;
}

TEST_F(LineReaderTest, CutsToOneLessThanTheSizeInCharacters) {
  std::string utf8;
  for (int i = 0; i < 300; ++i) utf8 += "\xC3\xB1";  // 300 "ñ", 600 bytes
  const auto lines = ReadAll(std::string(300, 'x') + "\r\n" + utf8 + "\r\ncorta\r\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], std::string(256, 'x'));
  std::string cut;
  for (int i = 0; i < 256; ++i) cut += "ñ";
  EXPECT_EQ(lines[1], cut);
  EXPECT_EQ(lines[2], "corta");
  EXPECT_EQ(ReadAll("abcdef\r\n", 4), std::vector<std::string>{"abc"});
}

TEST_F(LineReaderTest, AMissingFileFailsEveryReadAndASecondInitStartsTheNewFileAfresh) {
  LineReader reader;
  EXPECT_NE(reader.Init(path_.string()), 0);
  std::string line = "previa";
  EXPECT_NE(reader.GetNextLine(&line, 257), 0);
  EXPECT_EQ(line, "");
  // A second Init lets go of the first file and reads the new one from its start.
  Write("uno\r\ndos\r\n");
  ASSERT_EQ(reader.Init(path_.string()), 0);
  ASSERT_EQ(reader.GetNextLine(&line, 257), 0);
  ASSERT_EQ(reader.Init(path_.string()), 0);
  ASSERT_EQ(reader.GetNextLine(&line, 257), 0);
  EXPECT_EQ(line, "uno");
  reader.Close();
  EXPECT_NE(reader.GetNextLine(&line, 257), 0);
}

}  // namespace
}  // namespace library
