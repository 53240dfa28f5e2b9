// What opening a file refuses (another layout, damage, a lock file that fails or is a
// link, a file in WAL mode that another program keeps) and what the integrity check finds.
#include "platform/files/keyed_file_open.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/files/errors.h"
#include "platform/files/file_hold.h"
#include "platform/files/keyed_file_fixture.h"
#include "platform/files/test_sql.h"
#include "platform/runtime/test_support.h"

namespace files {
namespace {

using test::Table;
using test::KeyedFileTest;
using KeyedFileOpenTest = test::KeyedFileTest;
using KeyedFileOpenFaultsTest = test::FiveRecordFileTest;

// A table whose fields or keys differ from the file's is refused before anything is read.
TEST_F(KeyedFileOpenTest, AFileOfAnotherLayoutIsRefused) {
  Table t;
  CreateWith(t, {{1, "a"}});
  ASSERT_EQ(t.file.Close(), 0);
  const KeyDecl other_flags[] = {test::kKeys[0], test::kKeys[1], test::kKeys[2],
                                 {"T:KEYTAG", test::kByTag, kDup}};
  FieldDecl longer_name[std::size(test::kFields)];
  std::copy(std::begin(test::kFields), std::end(test::kFields), longer_name);
  longer_name[1].size = 12;
  const RecordLayout mismatches[] = {
      {test::kLayout.length, test::kFields, other_flags, {}},
      {test::kLayout.length, longer_name, test::kKeys, {}},
      {test::kLayout.length, test::kFields, std::span(test::kKeys).first(3), {}},
  };
  for (const RecordLayout& layout : mismatches) {
    uint8_t record[29] = {};
    KeyedFile file(layout, record);
    EXPECT_EQ(file.Open(path_), kLayoutMismatch);
    EXPECT_FALSE(file.IsOpen());
  }
  ASSERT_EQ(t.file.Open(path_), 0);
  EXPECT_EQ(t.file.Records(), 1);
}

// Damaged files: not a database, empty, cut short, a page overwritten. Each gives 90 and
// the file's bytes stay as they were.
TEST_F(KeyedFileOpenTest, ADamagedFileGivesFileSystemErrorAndIsNotWritten) {
  const std::string garbage = folder_.In("BASURA.VQF");
  runtime::test::WriteWholeFile(garbage, std::string(5000, 'x'));
  const std::string empty = folder_.In("VACIO.VQF");
  runtime::test::WriteWholeFile(empty, "");

  ASSERT_EQ(test::CreateWithRecords(path_, 2000), 0);
  const auto size = std::filesystem::file_size(path_);
  const std::string cut = folder_.In("CORTADO.VQF");
  std::filesystem::copy_file(path_, cut);
  std::filesystem::resize_file(cut, size / 2);
  const std::string smashed = folder_.In("ROTO.VQF");
  std::filesystem::copy_file(path_, smashed);
  {
    std::fstream f(smashed, std::ios::in | std::ios::out | std::ios::binary);
    for (uint64_t page = 8; page * 4096 < size; page += 2) {
      f.seekp(static_cast<std::streamoff>(page * 4096));  // the page's header
      f << std::string(12, '\x5A');
    }
  }
  for (const std::string& path : {garbage, empty, cut, smashed}) {
    const auto before = std::filesystem::file_size(path);
    Table d;
    int rc = d.file.Open(path);
    std::string detail = d.file.Detail();
    if (rc == 0) {  // damage deeper than the layout shows on the first walk or write
      rc = d.file.SetStart(test::kCode);
      while (rc == 0 && !d.file.Eof()) {
        rc = d.file.Next();
        if (rc == 0) rc = d.file.Put();
      }
      if (rc == 0) rc = d.file.Code();  // Eof ends the walk on an error and keeps its code
      detail = d.file.Detail();
      d.file.Close();
    }
    EXPECT_EQ(rc, kFileSystemError) << path;
    EXPECT_NE(detail.find(path), std::string::npos) << detail;
    EXPECT_EQ(std::filesystem::file_size(path), before);
  }
}

// A file cut by a single byte still reads as whole pages to SQLite, which would take
// writes into it; the open refuses it and leaves it as it is.
TEST_F(KeyedFileOpenTest, AFileCutShortByOneByteIsRefusedAtOpen) {
  ASSERT_EQ(test::CreateWithRecords(path_, 200), 0);
  const auto size = std::filesystem::file_size(path_);
  std::filesystem::resize_file(path_, size - 1);
  Table t;
  EXPECT_EQ(t.file.Open(path_), kFileSystemError);
  EXPECT_EQ(t.file.Detail(), "El archivo " + path_ + " está dañado: mide " +
                                 std::to_string(size - 1) + " bytes y debería medir " +
                                 std::to_string(size));
  EXPECT_FALSE(t.file.IsOpen());
  EXPECT_EQ(std::filesystem::file_size(path_), size - 1);
}

// A lock file that cannot be opened (here a folder in its place) is named as the cause, by
// Open and by Create.
TEST_F(KeyedFileOpenTest, ALockFileThatFailsIsNamed) {
  Table t;
  CreateWith(t, {{1, "uno"}});
  ASSERT_EQ(t.file.Close(), 0);
  const std::string lock = path_ + ".lck";
  std::filesystem::remove(lock);
  ASSERT_TRUE(std::filesystem::create_directory(lock));
  EXPECT_EQ(t.file.Open(path_), kAccessDenied);
  EXPECT_EQ(t.file.Detail(), "Acceso denegado al archivo " + lock);
  EXPECT_EQ(t.file.Create(path_), kAccessDenied);
  EXPECT_EQ(t.file.Detail(), "Acceso denegado al archivo " + lock);
}

// A lock file that is a symbolic link is refused, by Create, by Open and by a backup's
// hold, and the link's target is never created. Wine makes no symbolic links, so this one skips there.
using KeyedFileLinksNotUnderWine = KeyedFileTest;
TEST_F(KeyedFileLinksNotUnderWine, ALockFileThatIsALinkIsRefused) {
  Table t;
  CreateWith(t, {{1, "uno"}});
  ASSERT_EQ(t.file.Close(), 0);
  const std::string lock = path_ + ".lck";
  const std::filesystem::path target = folder_.path() / "elsewhere" / "planted";
  std::filesystem::create_directories(target.parent_path());
  std::filesystem::remove(lock);
  std::error_code error;
  std::filesystem::create_symlink(target, lock, error);
  if (error) GTEST_SKIP() << "no symbolic link can be made here: " << error.message();
  const std::string detail = "El archivo de bloqueo " + lock + " es un enlace simbólico y no se usa";
  EXPECT_EQ(t.file.Open(path_), kAccessDenied);
  EXPECT_EQ(t.file.Detail(), detail);
  EXPECT_EQ(t.file.Create(path_), kAccessDenied);
  EXPECT_EQ(t.file.Detail(), detail);
  FileHold hold;
  EXPECT_NE(hold.Take(path_), kNoError);
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(KeyedFileOpenFaultsTest, AWalFileIsTakenBackToTheJournalOrRefusedWhileInUse) {
  {
    test::SqlFile other(path_);
    ASSERT_EQ(other.Exec("PRAGMA journal_mode=WAL; BEGIN; SELECT count(*) FROM records;"), "");
    Table t;
    EXPECT_EQ(t.file.Open(path_), kAccessDenied);
    EXPECT_NE(t.file.Detail().find("WAL"), std::string::npos) << t.file.Detail();
    EXPECT_NE(t.file.Detail().find(path_), std::string::npos) << t.file.Detail();
  }

  Table t;
  ASSERT_EQ(t.file.Open(path_), 0) << t.file.Detail();
  t.file.SetStart(test::kCode);
  ASSERT_EQ(t.file.Next(), 0);
  t.Amount() = 9;
  ASSERT_EQ(t.file.Put(), 0);
  ASSERT_EQ(t.file.Close(), 0);
  EXPECT_FALSE(std::filesystem::exists(path_ + "-wal"));
  EXPECT_EQ(test::SqlFile(path_).Text("PRAGMA journal_mode"), "delete");
  EXPECT_EQ(Amounts()[0], 9);
}

// The check at a table's start finds what the open does not look for: a row that an index
// lacks (a walk by that key would never meet it) and a page that does not parse. The
// instance then refuses to write, and the file stays as it was.
TEST_F(KeyedFileOpenFaultsTest, TheIntegrityCheckFindsWhatTheOpenLetsThrough) {
  {
    Table t;
    ASSERT_EQ(t.file.Open(path_), 0);
    EXPECT_EQ(t.file.CheckIntegrity(), 0) << t.file.Detail();
    EXPECT_EQ(t.file.Close(), 0);
  }
  const auto smash_root_of = [this](const char* index) {
    const int64_t root = test::SqlFile(path_).RootPageOffset(index);
    ASSERT_GT(root, 0) << index;
    std::fstream f(path_, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(root);
    f << std::string(12, '\x5A');
  };
  const struct {
    const char* name;
    std::function<void()> damage;
    const char* finding;
  } cases[] = {
      {"row missing from an index",
       [this] {
         ASSERT_EQ(
             test::SqlFile(path_).Exec(
                 "DROP INDEX records_key3; CREATE UNIQUE INDEX records_key3 ON records (key3) WHERE id <> 4;"
                 "PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = 'CREATE UNIQUE INDEX "
                 "records_key3 ON records (key3)' WHERE name = 'records_key3';"),
             "");
       },
       "el índice records_key3 tiene 4 entradas y la tabla 5 registros"},
      {"page that does not parse", [&] { smash_root_of("records_key2"); }, "btreeInitPage() returns error code 11)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFiveRecords();
    c.damage();
    const auto before = std::filesystem::file_size(path_);
    Table t;
    ASSERT_EQ(t.file.Open(path_), 0) << t.file.Detail();
    EXPECT_EQ(t.file.CheckIntegrity(), kFileSystemError);
    EXPECT_EQ(t.file.Detail().rfind("El archivo " + path_ + " está dañado: no pasó la comprobación de integridad (", 0), 0u)
        << t.file.Detail();
    EXPECT_NE(t.file.Detail().find(c.finding), std::string::npos) << t.file.Detail();
    EXPECT_EQ(t.file.Detail().find('\n'), std::string::npos) << t.file.Detail();
    EXPECT_EQ(t.file.BeginProgress("pasada"), kFileSystemError);
    EXPECT_EQ(t.file.Close(), 0);
    EXPECT_EQ(std::filesystem::file_size(path_), before);
    EXPECT_FALSE(std::filesystem::exists(path_ + "-journal"));
  }
}

}  // namespace
}  // namespace files
