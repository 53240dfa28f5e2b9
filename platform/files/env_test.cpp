// The platform's Env, on the platform the tests run on: files in folders with accented
// names, replacing an existing file, file identity, and the share and whole-file locks
// between two opens of one file.
#include "platform/files/env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/files/errors.h"
#include "platform/files/keyed_file.h"
#include "platform/files/test_table.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/test_support.h"

namespace files {
namespace {

namespace fs = std::filesystem;

class EnvTest : public ::testing::Test {
 protected:
  static std::string Contents(const std::string& path) { return runtime::test::ReadWholeFile(runtime::PathOf(path)); }
  static void Write(const std::string& path, const std::string& bytes) {
    runtime::test::WriteWholeFile(runtime::PathOf(path), bytes);
  }

  const runtime::test::TestFolder folder_;
  Env* const env_ = Env::Default();
};

// The suite's folders carry Spanish names; on Windows they must reach the wide calls.
TEST_F(EnvTest, RecordFilesLiveInFoldersWithAccentedNames) {
  const std::string folder = folder_.In("Año Nómina");
  fs::create_directories(runtime::PathOf(folder));
  const std::string path = runtime::JoinPath(folder, "PERSONAL.VQF");

  test::Table t;
  ASSERT_EQ(t.file.Create(path), kNoError) << t.file.Text();
  ASSERT_EQ(t.file.Open(path), kNoError) << t.file.Text();
  t.Fill(7, "Peña");
  ASSERT_EQ(t.file.Add(), kNoError) << t.file.Text();
  ASSERT_EQ(t.file.Close(), kNoError);

  test::Table again;
  ASSERT_EQ(again.file.Open(path), kNoError) << again.file.Text();
  again.SetCode(7);
  EXPECT_EQ(again.file.Get(test::kCode), kNoError);
  EXPECT_EQ(again.Name(), "Peña");
}

TEST_F(EnvTest, MissingFileAndMissingFolderHaveTheirOwnCodes) {
  std::unique_ptr<File> file;
  EXPECT_EQ(env_->OpenFile(folder_.In("NOHAY.VQF"), false, &file, nullptr), kFileNotFound);
  EXPECT_EQ(env_->OpenFile(runtime::JoinPath(folder_.In("No existe"), "NOHAY.VQF"), false, &file, nullptr), kPathNotFound);
  EXPECT_EQ(file, nullptr);
}

TEST_F(EnvTest, MoveOverReplacesAnExistingFile) {
  Write(folder_.In("viejo"), "contenido viejo");
  Write(folder_.In("nuevo"), "contenido nuevo");
  ASSERT_EQ(env_->MoveOver(folder_.In("nuevo"), folder_.In("viejo")), kNoError);
  EXPECT_EQ(Contents(folder_.In("viejo")), "contenido nuevo");
  EXPECT_FALSE(fs::exists(runtime::PathOf(folder_.In("nuevo"))));
}

// The commit groups tell the opens of one file from opens of two files by this.
TEST_F(EnvTest, IdentityTellsOneFileByTwoNamesFromTwoFiles) {
  fs::create_directories(runtime::PathOf(folder_.In("sub")));
  Write(folder_.In("A.VQF"), "a");
  Write(folder_.In("B.VQF"), "b");
  FileIdentity a{}, a_again{}, b{};
  ASSERT_EQ(env_->IdentityOf(folder_.In("A.VQF"), &a), kNoError);
  ASSERT_EQ(env_->IdentityOf(runtime::JoinPath(runtime::JoinPath(folder_.In("sub"), ".."), "A.VQF"), &a_again), kNoError);
  ASSERT_EQ(env_->IdentityOf(folder_.In("B.VQF"), &b), kNoError);
  EXPECT_EQ(a, a_again);
  EXPECT_NE(a, b);
  EXPECT_EQ(env_->IdentityOf(folder_.In("C.VQF"), &b), kFileNotFound);
}

// Two opens of one file exclude each other as two stations would; the lock bytes lie far
// beyond the data, so neither lock stops the other open from reading and writing.
TEST_F(EnvTest, LocksOfOneOpenBindTheOtherAndLeaveTheDataFree) {
  std::unique_ptr<File> first, second;
  ASSERT_EQ(env_->OpenFile(folder_.In("T.lck"), true, &first, nullptr), kNoError);
  ASSERT_EQ(env_->OpenFile(folder_.In("T.lck"), true, &second, nullptr), kNoError);

  ASSERT_EQ(first->TakeOpenShare(kReadWriteDenyNone), kNoError);
  EXPECT_EQ(second->TakeOpenShare(kReadWriteDenyNone), kNoError);  // both share
  EXPECT_EQ(second->TakeSoleShare(), kAccessDenied);

  ASSERT_EQ(first->LockWholeFile(0), kNoError);
  EXPECT_EQ(second->LockWholeFile(0), kFileLocked);
  EXPECT_EQ(second->WriteAt("datos", 5, 0), kNoError);
  char read[5];
  EXPECT_EQ(first->ReadAt(read, 5, 0), kNoError);
  EXPECT_EQ(std::string(read, 5), "datos");
  EXPECT_EQ(first->ReadAt(read, 5, 3), kFileSystemError);  // short read

  first->UnlockWholeFile();
  EXPECT_EQ(second->LockWholeFile(0), kNoError);
}

}  // namespace
}  // namespace files
