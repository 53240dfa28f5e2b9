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

}  // namespace
}  // namespace runtime
