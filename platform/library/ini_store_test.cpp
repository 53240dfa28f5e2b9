#include "platform/library/ini_store.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/runtime/test_support.h"

namespace library {
namespace {

class IniStoreTest : public testing::Test {
 protected:
  void Write(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string Read() { return runtime::test::ReadWholeFile(path_); }

  const runtime::test::TestFolder test_folder_;
  const std::string folder_ = test_folder_.path().string();
  const std::string path_ = folder_ + "/Dinarvex.INI";
};

TEST_F(IniStoreTest, KillWritesTheListBackAndKeepsEverythingElse) {
  struct Case {
    const char* name;
    std::string before;
    std::vector<std::string> sections;
    std::string after;
  } cases[] = {
      {"list present, other sections kept byte for byte",
       "[Ventana]\r\nX=10 ; posici\xF3n\r\n\r\n[__Dont_Touch_Me__]\r\nSectors=Ventana,Otra\r\n[Otra]\r\nY=2\r\n",
       {"Ventana", "Otra"},
       "[Ventana]\r\nX=10 ; posici\xF3n\r\n\r\n[__Dont_Touch_Me__]\r\nSectors=Ventana,Otra\r\n[Otra]\r\nY=2\r\n"},
      {"names compared without case, blanks around the names dropped",
       "[__dont_touch_me__]\nsectors = Ventana , Otra\n",
       {"Ventana", "Otra"},
       "[__dont_touch_me__]\nsectors =Ventana,Otra\n"},
      {"section without the key gets it after its last line",
       "[__Dont_Touch_Me__]\r\nOtro=1\r\n\r\n[B]\r\nZ=3",
       {},
       "[__Dont_Touch_Me__]\r\nOtro=1\r\nSectors=\r\n\r\n[B]\r\nZ=3"},
      {"file without the section gets it at the end",
       "[A]\r\nX=1\r\n",
       {},
       "[A]\r\nX=1\r\n\r\n[__Dont_Touch_Me__]\r\nSectors=\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write(c.before);
    IniStore store;
    store.Init(path_);
    EXPECT_EQ(store.Sections(), c.sections);
    EXPECT_TRUE(store.Kill());
    EXPECT_FALSE(store.IsOpen());
    EXPECT_EQ(Read(), c.after);
  }
}

TEST_F(IniStoreTest, MissingFileIsCreatedAtKill) {
  IniStore store;
  store.Init(path_);
  EXPECT_TRUE(store.Sections().empty());
  EXPECT_FALSE(std::filesystem::exists(path_));  // Init writes nothing
  EXPECT_TRUE(store.Kill());
  EXPECT_EQ(Read(), "[__Dont_Touch_Me__]\r\nSectors=\r\n");
  EXPECT_TRUE(store.Kill());  // a second Kill does nothing
  EXPECT_FALSE(std::filesystem::exists(path_ + ".tmp"));
}

TEST_F(IniStoreTest, UnwritableFileIsReportedAndLeftAlone) {
  IniStore store;
  store.Init(folder_ + "/missing-folder/Dinarvex.INI");
  EXPECT_FALSE(store.Kill());

  // A folder in the file's place cannot be read as a file: it must not be replaced.
  std::filesystem::create_directory(path_);
  store.Init(path_);
  EXPECT_FALSE(store.Kill());
  EXPECT_TRUE(std::filesystem::is_directory(path_));
}

}  // namespace
}  // namespace library
