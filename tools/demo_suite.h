// Builds a suite folder to run the program in: the suite's settings file, its three data
// areas, a users table and a parameters table, and the program folder below it.
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
  int products = 0;  // inventory records, so that a conversion run lasts long enough to watch
};

// The users of the demo: one who may log in, one who lacks a right.
DemoSuite StandardDemo(std::string folder);

// Writes Sorvane.ini, the areas Dadm, DCon01 and DNom, and the tables into the
// administrative area; empty program folder "Dinarvex". Returns an error text, or ""
// when all went well. Runs with no catalogue of this thread alive, and leaves none.
std::string WriteDemoSuite(const DemoSuite& suite);

}  // namespace tools
