#include "app/data_paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "app/globals.h"
#include "catalogue/catalogue.h"
#include "catalogue/disk_names.h"
#include "catalogue/generated/tables.h"
#include "catalogue/table_managers.h"
#include "platform/runtime/paths.h"

namespace app {
namespace {

using catalogue::DiskName;
using catalogue::Table;

const std::string kSep(1, runtime::kPathSeparator);

std::string Path(std::initializer_list<std::string> parts) {
  std::string path;
  for (const std::string& part : parts) path += (path.empty() ? "" : kSep) + part;
  return path;
}

class DataPathsTest : public testing::Test {
 protected:
  void SetUp() override {
    InitGlobals();
    GLO::RUTAPROG = Path({"C:", "SUITE", "RECONV", ".."});
    GLO::RUTADATOS = Path({"D:", "SUITE", "DADM"}) + "   ";
    GLO::RUTADATOSNOMINA = Path({"D:", "SUITE", "DNOM"});
    GLO::RUTADATOSCONTABILIDAD = Path({"D:", "SUITE", "DCON01"});
    ASSERT_EQ(NameDiskFiles(), "");
  }
};

TEST_F(DataPathsTest, EachTableNamesItsFileInItsFolder) {
  const std::string dadm = Path({"D:", "SUITE", "DADM"});
  struct Case {
    Table table;
    std::string name;
  } cases[] = {
      {Table::ParameML, Path({dadm, "CFPARAME.VQF"})},  // the trailing blanks are gone
      {Table::ConfigFiscal, Path({"C:", "SUITE", "RECONV", "..", "CFFISCAL.VQF"})},
      {Table::Bancos, Path({dadm, "BANCOS.VQF"})},
      {Table::BAN1Alias, Path({dadm, "BANCOS.VQF"})},
      {Table::BAN2Alias, Path({dadm, "BANCOS.VQF"})},
      {Table::QKCONUSU, Path({"D:", "SUITE", "DCON01", "QkConUsu01.vqf"})},
      {Table::SwNomSec, Path({"D:", "SUITE", "DNOM", "QZNOMSEC.VQF"})},
      {Table::SwNomCse, Path({"D:", "SUITE", "DNOM", "QZNOMCSE.VQF"})},
      {Table::VarAgenda, Path({dadm, "VARAGENDA.VQF"})},
      {Table::VehODCD, Path({dadm, "VEHODCD.VQF"})},
      // The temporary tables and the others the suite does not name stay empty.
      {Table::TEMPLIBROVENTAS, ""},
      {Table::DTMAlias, ""},
      {Table::OneRecord, ""},
      {Table::Tagsave, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(DiskName(c.table), c.name) << static_cast<int>(c.table);
}

TEST_F(DataPathsTest, AllDiskFilesGetDistinctNames) {
  std::set<std::string> names;
  for (const catalogue::DiskFile& file : catalogue::DiskFiles()) names.insert(DiskName(file.table));
  EXPECT_EQ(catalogue::DiskFiles().size(), 116u);
  EXPECT_EQ(names.size(), 116u);
  EXPECT_EQ(names.count(""), 0u);
}

TEST_F(DataPathsTest, ABlankFolderNamesFilesAtTheRootAndANameTooLongIsRefused) {
  // A folder that read as one blank gives a name at the root of the current drive.
  GLO::RUTADATOS = " ";
  GLO::RUTADATOSNOMINA = " ";
  ASSERT_EQ(NameDiskFiles(), "");
  EXPECT_EQ(DiskName(Table::ParameML), kSep + "CFPARAME.VQF");
  EXPECT_EQ(DiskName(Table::SwNomSec), kSep + "QZNOMSEC.VQF");

  // A name longer than its variable is refused, never cut into another file's name: the
  // message names the setting and the first file whose name does not fit.
  struct Case {
    size_t folder_length;
    const char* refused_file;  // null when every name fits
  } cases[] = {
      {100, nullptr},
      // SRBANAMNESIS.VQF (row 77) in its CSTRING(125): 108 + 1 + 16 characters.
      {108, "SRBANAMNESIS.VQF"},
      // The longest folder the global holds, and CFPARAME.VQF, the first file, is too long.
      {124, "CFPARAME.VQF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder_length);
    InitGlobals();
    GLO::RUTADATOS = std::string(c.folder_length, 'x');
    const std::string refusal = NameDiskFiles();
    if (c.refused_file == nullptr) {
      EXPECT_EQ(refusal, "");
    } else {
      EXPECT_EQ(refusal.rfind(std::string("La ruta RutaDatos de Sorvane.ini para el archivo ") + c.refused_file +
                                  " es demasiado larga: ",
                              0),
                0u)
          << refusal;
    }
  }
  EXPECT_EQ(NameDiskFiles(), "La ruta RutaDatos de Sorvane.ini para el archivo CFPARAME.VQF es demasiado larga: " +
                                 std::string(124, 'x') + kSep + "CFPARAME.VQF (137 caracteres; caben 125).");
}

// A folder that does not hold the suite's files shows up only when a table is first
// opened, far from start-up: the message must name the file it tried.
TEST_F(DataPathsTest, AFailedOpenNamesTheFileItTried) {
  GLO::RUTADATOS = "/no/such/suite/DADM";
  ASSERT_EQ(NameDiskFiles(), "");
  library::ErrorManager errors;
  catalogue::CatalogInit(errors);
  catalogue::TableFileManager& parame = *catalogue::FileManagerOf(Table::ParameML);
  EXPECT_EQ(parame.Open(), library::kLevelBenign);  // the open itself waits for the first use
  EXPECT_NE(parame.SetStart(0), library::kLevelBenign);
  parame.Close();
  catalogue::CatalogKill();
  const std::vector<library::ShownMessage> shown = errors.History();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].text.find(runtime::JoinPath("/no/such/suite/DADM", "CFPARAME.VQF")), std::string::npos)
      << shown[0].text;
}

TEST(DataRootTest, IsTheCurrentFolderAndTheStepToItsParent) {
  EXPECT_EQ(DataRoot(), runtime::ShortPath(runtime::CurrentFolder()) + kSep + "..");
}

}  // namespace
}  // namespace app
