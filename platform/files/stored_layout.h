// The layout tables of a record file: the record length, fields, keys and memos that the
// file was created with, written by Create and compared with the declaration by Open.
#pragma once

#include <sqlite3.h>

#include <string>

#include "platform/files/layout.h"
#include "platform/files/sqlite_code.h"

namespace files {

// Bumped when the way records or keys are stored changes.
constexpr int kFormatVersion = 1;

// The statements that create an empty file for `layout` (layout tables, records, indexes).
std::string SchemaSql(const RecordLayout& layout);

// Fills the layout tables.
SqliteCode WriteLayout(sqlite3* db, const RecordLayout& layout);

// Compares the stored layout with `layout`. Returns kOk and an empty `difference`
// when they match, kOk and a description when they differ, or the SQLite error that
// kept the tables from being read. Names are not compared: an alias declares the same
// fields under its own prefix.
SqliteCode CompareLayout(sqlite3* db, const RecordLayout& layout, std::string* difference);

}  // namespace files
