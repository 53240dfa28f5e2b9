// A second process for the catalogue's tests, which need a change killed in its middle.
//   catalogue_test_helper delete-class FOLDER   with every table's file in FOLDER (named
//       by its label), deletes class 1 of GYMHClases through its relation manager and
//       stalls, printing "stalled", at the first write to GYMDClases, to be killed there.
#include <cstdio>
#include <cstring>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/disk_names.h"
#include "catalogue/generated/fields.h"
#include "catalogue/modules.h"
#include "catalogue/record.h"
#include "catalogue/table_managers.h"
#include "platform/files/fault_vfs.h"
#include "platform/runtime/paths.h"

using namespace catalogue;

int main(int argc, char** argv) {
  if (argc != 3 || std::strcmp(argv[1], "delete-class") != 0) {
    std::fprintf(stderr, "usage: catalogue_test_helper delete-class FOLDER\n");
    return 64;
  }
  const std::string folder = argv[2];
  for (size_t i = 0; i < kTableCount; ++i) {
    const Table table = static_cast<Table>(i);
    SetDiskName(table, runtime::JoinPath(folder, std::string(Def(table).label) + ".VQF"));
  }
  files::test::FaultVfs disk;
  disk.Fail(DiskName(Table::GYMDClases) + "-journal", files::test::FaultVfs::Fault::kStallWrite);
  library::ErrorManager errors;
  CatalogInit(errors);
  TableRelationManager& classes = *RelationManagerOf(Table::GYMHClases);
  if (classes.Open() != 0) return 1;
  SetText(GYMHC::CODCLASES, "1");
  if (FileManagerOf(Table::GYMHClases)->TryFetch(GYMHC::KEYGYMH01.index) != 0) return 2;
  classes.Delete();
  return 3;  // the write above never returns
}
