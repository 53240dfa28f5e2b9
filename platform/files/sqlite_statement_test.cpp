#include "platform/files/sqlite_statement.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

namespace files {
namespace {

// A statement whose Prepare failed, or that was never prepared, answers every call
// harmlessly: the failure paths that reset or read it cannot crash.
TEST(StatementTest, UnpreparedStatementIsHarmless) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  Statement never, failed;
  EXPECT_NE(failed.Prepare(db, "SELECT FROM nowhere"), SqliteCode::kOk);
  for (Statement* s : {&never, &failed}) {
    EXPECT_FALSE(s->Prepared());
    s->Bind(1, int64_t{7});
    s->Bind(2, std::string("x"));
    s->BindText(3, "y");
    EXPECT_EQ(s->Step(), SqliteCode::kMisuse);
    EXPECT_EQ(s->Int(0), 0);
    EXPECT_TRUE(s->Text(0).empty());
    EXPECT_TRUE(s->Blob(0).empty());
    s->Reset();
  }
  sqlite3_close(db);
}

}  // namespace
}  // namespace files
