// Builds the demo suite in the folder given, with as many records in each of the sixteen
// converted tables as asked (200 by default): make_demo_suite SUITE_FOLDER [RECORDS]
#include <cstdio>
#include <cstdlib>

#include "tools/demo_suite.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "uso: %s CARPETA_DE_LA_SUITE [REGISTROS_POR_TABLA]\n", argv[0]);
    return 2;
  }
  tools::DemoSuite suite = tools::StandardDemo(argv[1]);
  suite.records_per_table = argc == 3 ? std::atoi(argv[2]) : tools::kDemoRecordsPerTable;
  const std::string error = tools::WriteDemoSuite(suite);
  if (!error.empty()) {
    std::fprintf(stderr, "No se pudo crear la suite de demostración: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
