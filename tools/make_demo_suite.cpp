// Builds the demo suite in the folder given: make_demo_suite SUITE_FOLDER
#include <cstdio>

#include "tools/demo_suite.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "uso: %s CARPETA_DE_LA_SUITE\n", argv[0]);
    return 2;
  }
  const std::string error = tools::WriteDemoSuite(tools::StandardDemo(argv[1]));
  if (!error.empty()) {
    std::fprintf(stderr, "No se pudo crear la suite de demostración: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
