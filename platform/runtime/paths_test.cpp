#include "platform/runtime/paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/runtime/test_support.h"

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

TEST(PathsTest, ShortPathOfTheEmptyPathIsTheCurrentFoldersShortForm) {
  const std::string here = CurrentFolder();
  EXPECT_EQ(here, std::filesystem::current_path().string());
  EXPECT_EQ(ShortPath(""), ShortPath(here));
  EXPECT_EQ(ShortPath("/no/such/folder/ñ"), "/no/such/folder/ñ");  // a missing path is itself
}

// The program keeps its data root in the short form and shows the long one.
TEST(PathsTest, TheLongFormOfTheShortFormIsThePathItself) {
  const test::TestFolder parent;
  const std::filesystem::path folder = parent.path() / u8"Carpeta del programa con un nombre largo ñ";
  std::filesystem::create_directory(folder);
  const std::u8string utf8 = folder.u8string();
  const std::string path(utf8.begin(), utf8.end());
  const std::string short_form = ShortPath(path);
  EXPECT_LE(short_form.size(), path.size());
  EXPECT_EQ(LongPath(short_form), path);
}

// The suite's folder is the program folder followed by ".."; a person is shown the folder
// that names.
TEST(PathsTest, LongPathResolvesTheParentOfTheProgramFolder) {
  namespace fs = std::filesystem;
  const test::TestFolder folder;
  const fs::path suite = folder.path() / "suite_ñ";
  fs::create_directories(suite / "Dinarvex");
  const std::string sep(1, kPathSeparator);
  const std::string expected = LongPath(suite.string());
  EXPECT_EQ(LongPath((suite / "Dinarvex").string() + sep + ".."), expected);
  EXPECT_EQ(LongPath((suite / "Dinarvex").string() + sep + "." + sep + "no_existe" + sep + ".."),
            LongPath((suite / "Dinarvex").string()));
  EXPECT_EQ(expected.find(".."), std::string::npos);
}

}  // namespace
}  // namespace runtime
