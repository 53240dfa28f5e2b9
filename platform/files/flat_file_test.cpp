#include "platform/files/flat_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/files/errors.h"
#include "platform/files/keyed_file.h"
#include "platform/runtime/test_support.h"

namespace files {
namespace {

TEST(FlatFile, ReadsAndWritesByRecordNumber) {
  const runtime::test::TestFolder folder;
  const std::string path = (folder.path() / "FLAT.DAT").string();
  uint8_t record[6] = {};
  FlatFile file(sizeof record, record);
  EXPECT_EQ(file.Open(path, kReadWriteDenyNone), kFileNotFound);
  ASSERT_EQ(file.Create(path), 0);
  ASSERT_EQ(file.Open(path, kReadWriteDenyNone), 0);
  EXPECT_EQ(file.Get(1), kRecordNotFound);
  for (char c : {'a', 'b', 'c'}) {
    std::memset(record, c, sizeof record);
    ASSERT_EQ(file.Add(), 0);
  }
  EXPECT_EQ(file.Records(), 3);
  std::memset(record, 'B', sizeof record);
  ASSERT_EQ(file.Put(2), 0);
  EXPECT_EQ(file.Put(4), kRecordNotFound);
  ASSERT_EQ(file.Get(3), 0);
  EXPECT_EQ(record[0], 'c');
  ASSERT_EQ(file.Get(2), 0);
  EXPECT_EQ(record[5], 'B');
  EXPECT_EQ(file.Get(0), kRecordNotFound);

  // A deny-write opener excludes other openers, and they it.
  FlatFile other(sizeof record, record);
  EXPECT_EQ(other.Open(path, kReadWriteDenyWrite), kAccessDenied);
  EXPECT_EQ(file.Create(path), kFileAlreadyOpen);
  ASSERT_EQ(file.Close(), 0);
  ASSERT_EQ(other.Open(path, kReadWriteDenyWrite), 0);
  EXPECT_EQ(file.Open(path, kReadWriteDenyNone), kAccessDenied);
  EXPECT_EQ(other.Records(), 3);
  ASSERT_EQ(other.Close(), 0);
  EXPECT_EQ(other.Get(1), kFileNotOpen);
}

}  // namespace
}  // namespace files
