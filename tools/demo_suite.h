// Builds a suite folder to run the program in: the suite's settings file, its three data
// areas, a users table, a parameters table, the sixteen tables the conversion converts,
// and the program folder below it.
#pragma once

#include <string>
#include <vector>

namespace tools {

struct DemoUser {
  std::string code;
  std::string password;
  std::string name;
  bool all_rights = true;  // false: every login right but the last
};

struct DemoSuite {
  std::string folder;           // the suite's folder; created when missing
  std::vector<DemoUser> users;  // no users table at all when empty
  bool parameters_record = true;
  std::string company;
  // Records in each of the sixteen converted tables, their amounts negative, small (under
  // 1000, which become 0.01) and large; none, and no such files, when 0.
  int records_per_table = 0;
};

// The records per table of the demo that tools/make_demo_suite lays out by default.
inline constexpr int kDemoRecordsPerTable = 200;

// The users of the demo: one who may log in, one who lacks a right.
DemoSuite StandardDemo(std::string folder);

// Writes Sorvane.ini, the areas Dadm, DCon01 and DNom, and the tables into the
// administrative area (a record whose key another already holds is left out); empty program folder "Dinarvex". Returns an error text, or ""
// when all went well. Runs with no catalogue of this thread alive, and leaves none.
std::string WriteDemoSuite(const DemoSuite& suite);

}  // namespace tools
