#include "platform/runtime/paths.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace runtime {
namespace {

TEST(PathsTest, JoinClipsTheFolderAndUsesThePlatformSeparator) {
  const std::string sep(1, kPathSeparator);
  struct Case {
    std::string folder, name, expected;
  } cases[] = {
      {"D:" + sep + "SUITE" + sep + "DADM   ", "CFPARAME.VQF", "D:" + sep + "SUITE" + sep + "DADM" + sep + "CFPARAME.VQF"},
      {" ", "BANCOS.VQF", sep + "BANCOS.VQF"},
      {"", "BANCOS.VQF", sep + "BANCOS.VQF"},
      {"  lead", "x", "  lead" + sep + "x"},  // only trailing blanks go
  };
  for (const Case& c : cases) EXPECT_EQ(JoinPath(c.folder, c.name), c.expected) << c.folder;
}

TEST(PathsTest, ShortPathOfTheEmptyPathIsTheCurrentFolder) {
  const std::string here = CurrentFolder();
  EXPECT_EQ(here, std::filesystem::current_path().string());
  EXPECT_EQ(ShortPath(""), here);
#ifndef _WIN32
  EXPECT_EQ(ShortPath("/no/such/folder/ñ"), "/no/such/folder/ñ");
#endif
}

// The suite's folder is the program folder followed by ".."; a person is shown the folder
// that names.
TEST(PathsTest, LongPathResolvesTheParentOfTheProgramFolder) {
  namespace fs = std::filesystem;
  const fs::path suite = fs::temp_directory_path() / "paths_test_suite_ñ";
  fs::create_directories(suite / "Dinarvex");
  const std::string sep(1, kPathSeparator);
  const std::string expected = LongPath(suite.string());
  EXPECT_EQ(LongPath((suite / "Dinarvex").string() + sep + ".."), expected);
  EXPECT_EQ(LongPath((suite / "Dinarvex").string() + sep + "." + sep + "no_existe" + sep + ".."),
            LongPath((suite / "Dinarvex").string()));
  EXPECT_EQ(expected.find(".."), std::string::npos);
  fs::remove_all(suite);
}

}  // namespace
}  // namespace runtime
