#include "catalogue/catalogue.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <set>
#include <thread>

#include "catalogue/disk_names.h"
#include "catalogue/generated/fields.h"
#include "catalogue/modules.h"
#include "catalogue/name_variables.h"
#include "catalogue/record.h"
#include "catalogue/table_managers.h"
#include "platform/files/commit_groups.h"
#include "platform/files/fault_vfs.h"
#include "platform/files/test_process.h"
#include "platform/library/bindings.h"
#include "platform/runtime/test_support.h"

namespace catalogue {
namespace {

namespace fs = std::filesystem;
using library::kLevelBenign;
using library::kLevelNotify;

struct RecordingDisplay : library::MessageDisplay {
  std::vector<std::string> texts;
  void Show(int, std::string_view, std::string_view text) override { texts.emplace_back(text); }
};

// Another station: the drivers' helper process, or the catalogue's own.
class Station : public files::test::TestProcess {
 public:
  explicit Station(std::vector<std::string> args, const char* program = FILES_TEST_HELPER)
      : TestProcess(program, std::move(args)) {}
};

// A catalogue whose tables all have their files in a fresh folder, which is also the
// current folder (for the fixed-name table).
class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::current_path(folder_);
    for (size_t i = 0; i < kTableCount; ++i) {
      Table table = static_cast<Table>(i);
      SetDiskName(table, (folder_ / (std::string(Def(table).label) + ".VQF")).string());
    }
    errors_.SetDisplay(&display_);
    CatalogInit(errors_);
  }
  void TearDown() override {
    CatalogKill();
    fs::current_path(previous_);
  }

  static TableFileManager& Fm(Table table) { return *FileManagerOf(table); }
  static TableRelationManager& Rm(Table table) { return *RelationManagerOf(table); }

  // Adds a new primed record after `fill` sets its fields.
  template <class Fill>
  void Add(Table table, Fill fill) {
    ASSERT_EQ(Fm(table).Open(), kLevelBenign);
    ASSERT_EQ(Fm(table).PrimeRecord(), kLevelBenign);
    fill();
    ASSERT_EQ(Fm(table).Insert(), kLevelBenign) << Def(table).label;
    Fm(table).Close();
  }

  // Class 1 of the gym with its clients a, b and c.
  void AddClassOfThree() {
    Add(Table::GYMHClases, [] { SetText(GYMHC::CODCLASES, "1"); });
    for (const char* client : {"a", "b", "c"}) {
      Add(Table::GYMDClases, [&] {
        SetText(GYMDC::CODCLASES, "1");
        SetText(GYMDC::CODIGO, client);
      });
    }
  }

  // Deletes through the file manager the record that `key` finds after `fill` sets it.
  template <class Fill>
  void Erase(Table table, int key, Fill fill) {
    ASSERT_EQ(Fm(table).Open(), kLevelBenign);
    fill();
    ASSERT_EQ(Fm(table).TryFetch(key), kLevelBenign) << Def(table).label;
    ASSERT_EQ(Fm(table).Remove(), kLevelBenign);
    Fm(table).Close();
  }

  // The values of `field` over the table, in the order of its first key.
  std::vector<std::string> Column(const FieldRef& field) {
    TableFileManager& fm = Fm(field.table);
    EXPECT_EQ(fm.Open(), kLevelBenign);
    std::vector<std::string> values;
    EXPECT_EQ(fm.SetStart(0), kLevelBenign);
    while (fm.Next() == kLevelBenign) values.push_back(GetText(field));
    fm.Close();
    return values;
  }

  // The names of the files in the test's folder, but for the journals of open writes.
  std::set<std::string> Files() const {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_)) {
      const std::string name = entry.path().filename().string();
      if (!name.ends_with("-journal")) names.insert(name);
    }
    return names;
  }

  const fs::path previous_ = fs::current_path();
  const runtime::test::TestFolder test_folder_;
  const fs::path folder_ = test_folder_.path();
  library::ErrorManager errors_;
  RecordingDisplay display_;
};

// Every declaration is consistent: fields lie in the record without overlaps, keys and
// links name fields and keys that exist, aliases share their table's layout.
TEST(CatalogueData, EveryTableIsConsistent) {
  size_t aliases = 0, keys = 0;
  std::map<int, int> flag_counts;
  for (size_t i = 0; i < kTableCount; ++i) {
    const TableDef& def = Def(static_cast<Table>(i));
    SCOPED_TRACE(def.label);
    ASSERT_EQ(static_cast<size_t>(def.id), i);
    const files::RecordLayout& layout = def.layout;
    uint32_t end = 0;
    for (const files::FieldDecl& field : layout.fields) {
      ASSERT_EQ(std::string(field.name).rfind(std::string(def.prefix) + ":", 0), 0u);
      if (field.type == files::FieldType::Group) continue;
      ASSERT_GE(field.offset, end);  // a gap only where reserved bytes lie
      end = field.offset + field.size;
    }
    EXPECT_EQ(end, layout.length);
    ASSERT_EQ(def.keys.size(), layout.keys.size());
    for (const files::KeyDecl& key : layout.keys) {
      ++keys;
      ++flag_counts[key.flags];
      for (const files::KeyPart& part : key.parts) ASSERT_LT(part.field, layout.fields.size());
    }
    for (const RelationDecl& relation : def.relations) {
      const TableDef& other = Def(relation.related);
      if (relation.mirror) continue;
      ASSERT_LT(relation.related_key, other.layout.keys.size());
      for (const Link& link : relation.links) {
        ASSERT_LT(link.mine, layout.fields.size());
        ASSERT_LT(link.theirs, other.layout.fields.size());
      }
    }
    for (const FieldCheck& check : def.checks) {
      ASSERT_LT(check.field, layout.fields.size());
      if (check.kind == CheckKind::InFile) {
        ASSERT_LT(check.parent_key, Def(check.parent).layout.keys.size());
      }
    }
    if (def.is_alias) {
      ++aliases;
      const TableDef& table = Def(def.alias_of);
      EXPECT_LT(table.id, def.id);  // its table is constructed and initialised first
      EXPECT_EQ(table.layout.length, layout.length);
      EXPECT_EQ(table.layout.keys.size(), layout.keys.size());
      EXPECT_EQ(NameVariableOf(def.id), NameVariableOf(table.id));
    }
  }
  EXPECT_EQ(aliases, 41u);
  EXPECT_EQ(keys, 580u);
  EXPECT_EQ(flag_counts, (std::map<int, int>{{0x07, 351}, {0x16, 166}, {0x06, 50}, {0x03, 4},
                                             {0x14, 4}, {0x12, 3}, {0x02, 1}, {0x05, 1}}));
  EXPECT_EQ(DiskFiles().size(), 116u);
  EXPECT_EQ(Def(Table::ParameML).layout.length, 7799u);
  EXPECT_EQ(PAR::FACTORCONVERSION.table, Table::ParameML);
}

TEST(CatalogueData, NameVariablesAreSharedAndCut) {
  SetDiskName(Table::BAN1Alias, std::string(200, 'x'));
  EXPECT_EQ(DiskName(Table::Bancos), std::string(125, 'x'));  // CSTRING(126)
  SetDiskName(Table::Tagsave, "ignored");
  EXPECT_EQ(DiskName(Table::Tagsave), "");
  EXPECT_EQ(DiskName(Table::TEMPDETMOV), "");
}

// One pass over the whole dictionary: every table is created, primed, written and read
// back in every key's order; every alias reads its table's record by each of its keys.
TEST_F(CatalogueTest, EveryTableWritesAndReadsBackByEachKey) {
  FileOf(Table::AATabalsis)->Create(DiskName(Table::AATabalsis));  // never created on open
  for (size_t i = 0; i < kTableCount; ++i) {
    const Table table = static_cast<Table>(i);
    const TableDef& def = Def(table);
    SCOPED_TRACE(def.label);
    TableFileManager& fm = Fm(table);
    ASSERT_EQ(fm.Open(), kLevelBenign);
    if (!def.is_alias) {
      ASSERT_EQ(fm.PrimeRecord(), kLevelBenign);
      ASSERT_EQ(fm.Insert(), kLevelBenign);
    }
    const std::vector<uint8_t> written = fm.LastRead().empty()
                                             ? Fm(def.alias_of).LastRead()
                                             : fm.LastRead();
    if (def.layout.keys.empty()) {
      EXPECT_EQ(fm.file()->Records(), 1);
    }
    for (size_t key = 0; key < def.layout.keys.size(); ++key) {
      std::memset(RecordOf(table), 0, def.layout.length);
      ASSERT_EQ(fm.SetStart(static_cast<int>(key)), kLevelBenign);
      ASSERT_EQ(fm.Next(), kLevelBenign) << "key " << key;
      EXPECT_TRUE(std::equal(written.begin(), written.end(), RecordOf(table)));
      EXPECT_EQ(fm.Next(), kLevelNotify);
    }
    EXPECT_EQ(fm.Close(), kLevelBenign);
  }
  EXPECT_TRUE(display_.texts.empty());
}

// The table declared for the flat driver goes through it: its file holds the records one
// after the other in the order they were added, and nothing else.
TEST_F(CatalogueTest, TheFlatTableKeepsItsRecordsOneAfterTheOther) {
  TableFileManager& fm = Fm(Table::OneRecord);
  ASSERT_EQ(fm.Open(), kLevelBenign);
  for (const char* value : {"a", "b", "c"}) {
    ASSERT_EQ(fm.PrimeRecord(), kLevelBenign);
    SetText(ONE::FIRSTFIELD, value);
    ASSERT_EQ(fm.Insert(), kLevelBenign);
  }
  ASSERT_EQ(fm.SetStart(0), kLevelBenign);
  ASSERT_EQ(fm.Next(), kLevelBenign);
  ASSERT_EQ(fm.Next(), kLevelBenign);
  SetText(ONE::FIRSTFIELD, "B");
  ASSERT_EQ(fm.Put(), kLevelBenign);
  fm.Close();
  EXPECT_EQ(Column(ONE::FIRSTFIELD), (std::vector<std::string>{"a", "B", "c"}));
  EXPECT_EQ(runtime::test::ReadWholeFile(DiskName(Table::OneRecord)), "aBc");
  EXPECT_TRUE(display_.texts.empty());
}

TEST_F(CatalogueTest, KillLeavesEveryReferenceEmptyAndASecondKillIsHarmless) {
  CatalogKill();
  for (size_t i = 0; i < kTableCount; ++i) {
    EXPECT_EQ(FileManagerOf(static_cast<Table>(i)), nullptr);
    EXPECT_EQ(RelationManagerOf(static_cast<Table>(i)), nullptr);
    EXPECT_EQ(RecordOf(static_cast<Table>(i)), nullptr);
  }
  CatalogKill();
  CatalogInit(errors_);
  EXPECT_NE(FileManagerOf(Table::ParameML), nullptr);
}

TEST_F(CatalogueTest, ASecondThreadHasItsOwnManagersAndBuffers) {
  TableFileManager* mine = FileManagerOf(Table::ParameML);
  SetText(PAR::NOMBRE, "Primero");
  TableFileManager* theirs = nullptr;
  std::string their_name;
  std::thread other([&] {
    CatalogInit(errors_);
    theirs = FileManagerOf(Table::ParameML);
    SetText(PAR::NOMBRE, "Segundo");
    their_name = GetText(PAR::NOMBRE);
    CatalogKill();
  });
  other.join();
  EXPECT_NE(theirs, nullptr);
  EXPECT_NE(theirs, mine);
  EXPECT_EQ(their_name, "Segundo");
  EXPECT_EQ(GetText(PAR::NOMBRE), "Primero");
}

TEST_F(CatalogueTest, AnAliasIsBoundToItsTable) {
  TableFileManager& alias = Fm(Table::BAN1Alias);
  EXPECT_EQ(alias.aliased_file(), &Fm(Table::Bancos));
  EXPECT_EQ(alias.file_name(), Fm(Table::Bancos).file_name());
  EXPECT_NE(alias.buffer(), Fm(Table::Bancos).buffer());
  EXPECT_EQ(alias.label(), "BAN1Alias");
  EXPECT_STREQ(alias.layout()->keys[0].name, "ABAN1:KEYBAN01");
  EXPECT_EQ(Rm(Table::BAN1Alias).alias_file(), &Rm(Table::Bancos));
  EXPECT_EQ(Rm(Table::Bancos).alias_file(), nullptr);
}

TEST_F(CatalogueTest, FirstUseSetsUpOnceAndAUseBeforeOpenIsReported) {
  TableFileManager& fm = Fm(Table::ParameML);
  EXPECT_FALSE(fm.initialized());
  EXPECT_EQ(fm.TryFetch(PAR::KEYPAR01.index), library::kLevelProgram);  // not opened
  ASSERT_EQ(display_.texts.size(), 1u);
  EXPECT_EQ(display_.texts[0], "Se intentó usar el archivo (ParameML) antes de abrirlo");
  EXPECT_TRUE(fm.initialized());
  fm.UseFile(library::kUseNormal);
  ASSERT_EQ(fm.keys().size(), 1u);
  EXPECT_EQ(fm.keys()[0].description, "Por Control");
  EXPECT_EQ(fm.lock_recover(), 10);

  TableFileManager& users = Fm(Table::SecUsuML);
  users.UseFile(library::kUsePrepare);
  ASSERT_EQ(users.keys().size(), 2u);
  EXPECT_EQ(users.keys()[1].description, "Por Descripción");
  EXPECT_EQ(users.primary_key(), SEC::KEYSEC01.index);

  for (size_t i = 0; i < kTableCount; ++i) {
    TableFileManager& any = Fm(static_cast<Table>(i));
    any.UseFile(library::kUsePrepare);
    EXPECT_EQ(any.create(), static_cast<Table>(i) != Table::AATabalsis) << any.label();
  }
}

TEST_F(CatalogueTest, MissingFilesAreCreatedExceptWhereCreationIsOff) {
  EXPECT_EQ(Fm(Table::ParameML).Open(), kLevelBenign);
  EXPECT_EQ(Fm(Table::ParameML).PrimeRecord(), kLevelBenign);
  EXPECT_EQ(Fm(Table::ParameML).Insert(), kLevelBenign);  // the first use created it

  EXPECT_EQ(Fm(Table::AATabalsis).Open(), kLevelBenign);
  EXPECT_EQ(Fm(Table::AATabalsis).TryFetch(0), library::kLevelFatal);
  ASSERT_EQ(display_.texts.size(), 1u);
  EXPECT_EQ(display_.texts[0], "No se pudo abrir el archivo " + DiskName(Table::AATabalsis) +
                                   ". Error: File Not Found.");

  SetDiskName(Table::Bancos, "");
  EXPECT_EQ(Fm(Table::Bancos).Open(), kLevelBenign);
  EXPECT_EQ(Fm(Table::Bancos).TryFetch(0), library::kLevelFatal);
  EXPECT_EQ(display_.texts.back(), "No se pudo abrir el archivo Bancos. Error: File Not Found.");
}

TEST_F(CatalogueTest, PrimingSetsInitialValuesAlsoThroughAnAlias) {
  ASSERT_EQ(Fm(Table::ParameML).PrimeRecord(), kLevelBenign);
  EXPECT_EQ(GetText(PAR::MASKDECCANT), "@n-17.2");
  EXPECT_EQ(GetText(PAR::PREFIJO_MOVIL1), "414");
  EXPECT_EQ(GetText(PAR::USACONTABILIDAD), "1");

  SetText(PRO::PREFIJO_MOVIL, "keep");
  ASSERT_EQ(Fm(Table::PROAlias).PrimeRecord(), kLevelBenign);
  EXPECT_EQ(GetText(APR::PREFIJO_MOVIL), "414");
  EXPECT_EQ(GetText(APR::SEROTROS1), "0");
  EXPECT_EQ(GetText(PRO::PREFIJO_MOVIL), "keep");  // the table's own buffer is put back

  // The alias numbers the record by its table's auto-increment key.
  Add(Table::Citas, [] { EXPECT_EQ(GetText(CIT::CONTROLUNICOCITA), "1"); });
  ASSERT_EQ(Fm(Table::CITAlias).PrimeRecord(), kLevelBenign);
  EXPECT_EQ(GetText(CIT1::CONTROLUNICOCITA), "2");
  EXPECT_EQ(GetText(CIT1::TIPOCONSULTA), "Primera vez");
}

struct CheckCase {
  FieldRef field;
  const char* value;
  int level;
  const char* text;  // the message shown, or nullptr
};

TEST_F(CatalogueTest, FieldChecksReportListsAndRanges) {
  const CheckCase cases[] = {
      {PAR::MASKDECCANT, "@n-17.2", kLevelNotify,
       "El valor del campo Mascara para decimales en cantidad debe estar en la lista: 'Sin "
       "decimales','Un decimal','Dos decimales','Tres decimales'."},
      {PAR::MASKDECCANT, "@n-12.2", kLevelBenign, nullptr},
      {PAR::DESAMP01, "2", kLevelBenign, nullptr},
      {PAR::DESAMP01, "80", kLevelBenign, nullptr},
      {PAR::DESAMP01, "1", kLevelNotify,
       "El valor del campo: Longitud de línea 01 debe estar entre 2 .. 80."},
      {PAR::DESAMP01, "81", kLevelNotify,
       "El valor del campo: Longitud de línea 01 debe estar entre 2 .. 80."},
      {PAR::LNGOBS05, "61", kLevelBenign, nullptr},
      {PAR::LNGOBS01, "61", kLevelNotify,
       "El valor del campo: PAR:LNGOBS01 debe estar entre 1 .. 60."},
      {SEC::ZOMMRPTDEFAULT, "0", kLevelNotify,
       "El valor del campo: Zoom por defecto en los reportes debe estar entre 1 .. 400."},
      {DET::PORCOMISION, "100.00", kLevelBenign, nullptr},
      {DET::PORCOMISION, "100.01", kLevelNotify,
       "El valor del campo: Porcentaje de Comision por servicio debe estar entre 0 .. 100."},
      {HCAF::SEXO, "F", kLevelBenign, nullptr},
      {HCAF::SEXO, "m", kLevelNotify,
       "El valor del campo Sexo Afiliado (M,F) debe estar en la lista: 'Masculino','Femenino'."},
      // A value spanning two entries of the list is none of them.
      {HCAF::SEXO, "M[]F", kLevelNotify,
       "El valor del campo Sexo Afiliado (M,F) debe estar en la lista: 'Masculino','Femenino'."},
      {TMPC::PUBLICOPRIV, "Basico ", kLevelNotify,
       "El valor del campo Detalle (Basico, Intermedio, Especialista) debe estar en la lista: "
       "'Basico','Intermedio','Especialista'."},
      {INV::CAN_DECIMALES_MEDIDA, "2", kLevelBenign, nullptr},
      {INV::CAN_DECIMALES_MEDIDA, "1", kLevelNotify,
       "El valor del campo Cantidad de decimales medida (0,2,3,4) debe estar en la lista: "
       "'0','2','3','4'."},
  };
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(std::string(c.value));
    Fm(c.field.table).PrimeRecord();
    SetText(c.field, c.value);
    display_.texts.clear();
    EXPECT_EQ(Fm(c.field.table).TryValidateField(c.field.index), c.level);
    EXPECT_TRUE(display_.texts.empty());  // report off shows nothing
    EXPECT_EQ(Fm(c.field.table).ValidateField(c.field.index), c.level);
    if (c.text != nullptr) {
      ASSERT_EQ(display_.texts.size(), 1u);
      EXPECT_EQ(display_.texts[0], c.text);
    } else {
      EXPECT_TRUE(display_.texts.empty());
    }
  }
  EXPECT_EQ(Fm(Table::ParameML).ValidateField(PAR::NOMBRE.index), kLevelBenign);  // no check
}

TEST_F(CatalogueTest, AChecksThroughAnAliasUsesACopyAndTheCallersReportFlag) {
  SetText(SEC::CODUSER, "MINE");
  SetText(SEC::ZOMMRPTDEFAULT, "100");
  Fm(Table::ASecUsuML).PrimeRecord();
  SetText(ASEC::ZOMMRPTDEFAULT, "0");
  EXPECT_EQ(Fm(Table::ASecUsuML).TryValidateField(ASEC::ZOMMRPTDEFAULT.index), kLevelNotify);
  EXPECT_TRUE(display_.texts.empty());
  EXPECT_EQ(Fm(Table::ASecUsuML).ValidateField(ASEC::ZOMMRPTDEFAULT.index), kLevelNotify);
  EXPECT_EQ(display_.texts.size(), 1u);
  EXPECT_EQ(GetText(SEC::CODUSER), "MINE");
  EXPECT_EQ(GetText(SEC::ZOMMRPTDEFAULT), "100");
}

TEST_F(CatalogueTest, AMustExistCheckLooksUpTheParentAndLeavesItAsItWas) {
  Add(Table::Clases, [] { SetText(CLA::NOMBREPLAN, "Yoga"); });
  SetText(CLA::NOMBREPLAN, "untouched");
  Fm(Table::ProCliMLClases).PrimeRecord();
  SetText(PROC::NOMBREPLAN, "YOGA");  // the parent's key ignores case
  EXPECT_EQ(Fm(Table::ProCliMLClases).ValidateField(PROC::NOMBREPLAN.index), kLevelBenign);
  SetText(PROC::NOMBREPLAN, "Pilates");
  EXPECT_EQ(Fm(Table::ProCliMLClases).TryValidateField(PROC::NOMBREPLAN.index), kLevelNotify);
  EXPECT_TRUE(display_.texts.empty());
  EXPECT_EQ(Fm(Table::ProCliMLClases).ValidateField(PROC::NOMBREPLAN.index), kLevelNotify);
  ASSERT_EQ(display_.texts.size(), 1u);
  EXPECT_EQ(display_.texts[0],
            "El valor del campo Nombre de la clase o plan debe hallarse en el archivo Clases.");
  EXPECT_EQ(GetText(CLA::NOMBREPLAN), "untouched");
  EXPECT_EQ(Fm(Table::Clases).open_count(), 0);
}

TEST_F(CatalogueTest, RelationsAreDeclaredOnFirstNeedAndOpenTogether) {
  EXPECT_FALSE(Rm(Table::SecUsuML).relations_done());
  EXPECT_TRUE(Rm(Table::SecUsuML).relations().empty());
  ASSERT_EQ(Rm(Table::SecUsuML).Open(), kLevelBenign);
  ASSERT_EQ(Rm(Table::SecUsuML).relations().size(), 1u);
  EXPECT_EQ(Rm(Table::SecUsuML).relations()[0].file, &Rm(Table::SecUsuDNotify));
  EXPECT_GT(Fm(Table::SecUsuDNotify).open_count(), 0);
  EXPECT_FALSE(Rm(Table::ParameML).relations_done());
  EXPECT_FALSE(Rm(Table::Bancos).relations_done());
  // SecUsuDNotify's mirror entries name SecUsuNotify and SecUsuML, in that order.
  ASSERT_EQ(Rm(Table::SecUsuDNotify).relations().size(), 2u);
  EXPECT_EQ(Rm(Table::SecUsuDNotify).relations()[0].file, &Rm(Table::SecUsuNotify));
  EXPECT_FALSE(Rm(Table::SecUsuDNotify).relations()[0].full);
  EXPECT_EQ(Rm(Table::SecUsuML).Close(), kLevelBenign);
  EXPECT_EQ(Fm(Table::SecUsuML).open_count(), 0);
  EXPECT_EQ(Fm(Table::SecUsuDNotify).open_count(), 0);
  EXPECT_EQ(Fm(Table::SecUsuNotify).open_count(), 0);
}

TEST_F(CatalogueTest, ADeleteCascadesThroughTwoLevelsAndAnUpdateCarriesTheKey) {
  Add(Table::CpdocuML, [] { SetText(CPD::CONTROL, "D1"); });
  Add(Table::CpdocuML, [] { SetText(CPD::CONTROL, "D2"); });
  for (const char* line : {"1", "2"}) {
    Add(Table::DetMovML, [&] {
      SetText(DET::CONTROL, "D1");
      SetText(DET::FECHORA, line);
    });
    Add(Table::Ampliada, [&] {
      SetText(AMP::CONTROL, "D1");
      SetText(AMP::FECHORA, line);
    });
  }
  Add(Table::DetMovML, [] { SetText(DET::CONTROL, "D2"); });
  Add(Table::CpdocuAux, [] { SetText(CPA::CONTROL, "D1"); });
  Add(Table::Observaciones, [] { SetText(OBS::CONTROL, "D1"); });

  TableRelationManager& documents = Rm(Table::CpdocuML);
  ASSERT_EQ(documents.Open(), kLevelBenign);
  SetText(CPD::CONTROL, "D1");
  ASSERT_EQ(Fm(Table::CpdocuML).TryFetch(CPD::KEYCPD01.index), kLevelBenign);
  SetText(CPD::CONTROL, "D9");
  ASSERT_EQ(documents.Update(), kLevelBenign);
  EXPECT_EQ(Column(DET::CONTROL), (std::vector<std::string>{"D2", "D9", "D9"}));
  EXPECT_EQ(Column(AMP::CONTROL), (std::vector<std::string>{"D9", "D9"}));
  EXPECT_EQ(Column(CPA::CONTROL), (std::vector<std::string>{"D1"}));  // update none

  SetText(CPD::CONTROL, "D9");
  ASSERT_EQ(Fm(Table::CpdocuML).TryFetch(CPD::KEYCPD01.index), kLevelBenign);
  ASSERT_EQ(documents.Delete(), kLevelBenign);
  EXPECT_EQ(Column(CPD::CONTROL), (std::vector<std::string>{"D2"}));
  EXPECT_EQ(Column(DET::CONTROL), (std::vector<std::string>{"D2"}));
  EXPECT_TRUE(Column(AMP::CONTROL).empty());
  EXPECT_EQ(Column(OBS::CONTROL), (std::vector<std::string>{"D1"}));  // delete none
  documents.Close();
  EXPECT_TRUE(display_.texts.empty());
}

TEST_F(CatalogueTest, ARefusedDeleteChangesNothing) {
  Add(Table::InventML, [] { SetText(INV::CODPRO, "P1"); });
  Add(Table::ProPro, [] { SetText(RPP::CODPRO, "P1"); });
  Add(Table::InventMLIN, [] { SetText(INVIN::CODPRO, "P1"); });
  Add(Table::Seriales, [] {
    SetText(SER::CODPRO, "P1");
    SetText(SER::SERIAL, "S1");
  });
  Add(Table::DetMovML, [] {
    SetText(DET::CONTROL, "D1");
    SetText(DET::CODPRO, "P1");
  });

  TableRelationManager& products = Rm(Table::InventML);
  ASSERT_EQ(products.Open(), kLevelBenign);
  SetText(INV::CODPRO, "P1");
  ASSERT_EQ(Fm(Table::InventML).TryFetch(INV::KEYINV01.index), kLevelBenign);
  EXPECT_EQ(products.Delete(), kLevelNotify);
  ASSERT_EQ(display_.texts.size(), 1u);
  EXPECT_EQ(display_.texts[0],
            "Este registro es referenciado por DetMovML. Este registro no puede ser eliminado "
            "mientras exista la referencia.");
  EXPECT_EQ(Column(INV::CODPRO), (std::vector<std::string>{"P1"}));
  EXPECT_EQ(Column(RPP::CODPRO), (std::vector<std::string>{"P1"}));
  EXPECT_EQ(Column(INVIN::CODPRO), (std::vector<std::string>{"P1"}));
  EXPECT_EQ(Column(SER::CODPRO), (std::vector<std::string>{"P1"}));

  // A change of the code is carried where the update mode cascades, and only there.
  SetText(INV::CODPRO, "P1");
  ASSERT_EQ(Fm(Table::InventML).TryFetch(INV::KEYINV01.index), kLevelBenign);
  SetText(INV::CODPRO, "P2");
  ASSERT_EQ(products.Update(), kLevelBenign);
  EXPECT_EQ(Column(SER::CODPRO), (std::vector<std::string>{"P2"}));
  EXPECT_EQ(Column(DET::CODPRO), (std::vector<std::string>{"P2"}));
  EXPECT_EQ(Column(RPP::CODPRO), (std::vector<std::string>{"P1"}));
  products.Close();
}

TEST_F(CatalogueTest, ARefusedUpdatePutsTheLinkedFieldsBack) {
  Add(Table::SERBaremosA, [] { SetText(BARA::NOMBREBAREMO, "Base"); });
  Add(Table::SERBaremosC, [] { SetText(BARC::NOMBREBAREMO, "Base"); });
  TableRelationManager& scales = Rm(Table::SERBaremosA);
  ASSERT_EQ(scales.Open(), kLevelBenign);
  SetText(BARA::NOMBREBAREMO, "Base");
  ASSERT_EQ(Fm(Table::SERBaremosA).TryFetch(0), kLevelBenign);
  SetText(BARA::NOMBREBAREMO, "Otro");
  EXPECT_EQ(scales.Update(), kLevelNotify);
  EXPECT_EQ(GetText(BARA::NOMBREBAREMO), "Base");
  EXPECT_EQ(Column(BARA::NOMBREBAREMO), (std::vector<std::string>{"Base"}));
  ASSERT_EQ(display_.texts.size(), 1u);
  EXPECT_EQ(display_.texts[0].rfind("Este registro es referenciado por SERBaremosC. Campos", 0), 0u);
  scales.Close();
}

// What a refused change must leave: the tables as they were, and one message saying so.
static std::string NothingChanged(Table table, const char* error) {
  return "No se pudo grabar en el archivo " + DiskName(table) + ". Error: " + error +
         ". No se modificó ningún registro.";
}

// A rename whose cascade a child refuses, after the first write (the child's file fails
// on disk once the parent is written) or before it (a child's new key is taken), leaves
// every table as it was; the same rename then goes through whole.
TEST_F(CatalogueTest, ARenameThatAChildRefusesChangesNoTable) {
  files::test::FaultVfs disk;
  Add(Table::EntidadGeo1, [] { SetText(ENG1::NOMBREEGEO1, "A"); });
  for (const char* name : {"x", "y", "z"}) {
    Add(Table::EntidadGeo2, [&] {
      SetText(ENG2::NOMBREEGEO1, "A");
      SetText(ENG2::NOMBREEGEO2, name);
    });
  }
  TableRelationManager& regions = Rm(Table::EntidadGeo1);
  ASSERT_EQ(regions.Open(), kLevelBenign);
  auto rename = [&] {
    SetText(ENG1::NOMBREEGEO1, "A");
    EXPECT_EQ(Fm(Table::EntidadGeo1).TryFetch(ENG1::KEYENG101.index), kLevelBenign);
    SetText(ENG1::NOMBREEGEO1, "C");
    return regions.Update();
  };

  disk.Fail(DiskName(Table::EntidadGeo2) + "-journal", files::test::FaultVfs::Fault::kWriteError);
  EXPECT_EQ(rename(), kLevelNotify);
  disk.Clear();
  ASSERT_EQ(display_.texts.size(), 1u);
  EXPECT_EQ(display_.texts[0], NothingChanged(Table::EntidadGeo2, "File System Error"));
  EXPECT_EQ(Column(ENG1::NOMBREEGEO1), (std::vector<std::string>{"A"}));
  EXPECT_EQ(Column(ENG2::NOMBREEGEO1), (std::vector<std::string>{"A", "A", "A"}));

  Add(Table::EntidadGeo2, [] {
    SetText(ENG2::NOMBREEGEO1, "C");  // an orphan that holds the new key of (A, y)
    SetText(ENG2::NOMBREEGEO2, "y");
  });
  EXPECT_EQ(rename(), kLevelNotify);
  ASSERT_EQ(display_.texts.size(), 2u);
  EXPECT_EQ(display_.texts[1], NothingChanged(Table::EntidadGeo2, "Key Value Already Exists"));
  EXPECT_EQ(Column(ENG1::NOMBREEGEO1), (std::vector<std::string>{"A"}));
  EXPECT_EQ(Column(ENG2::NOMBREEGEO1), (std::vector<std::string>{"A", "A", "A", "C"}));

  Erase(Table::EntidadGeo2, ENG2::KEYENG201.index, [] {
    SetText(ENG2::NOMBREEGEO1, "C");
    SetText(ENG2::NOMBREEGEO2, "y");
  });
  EXPECT_EQ(rename(), kLevelBenign);
  EXPECT_EQ(Column(ENG1::NOMBREEGEO1), (std::vector<std::string>{"C"}));
  EXPECT_EQ(Column(ENG2::NOMBREEGEO1), (std::vector<std::string>{"C", "C", "C"}));
  regions.Close();
  EXPECT_EQ(display_.texts.size(), 2u);
}

// Another station in the middle of a write on a child table: the delete waits for it as a
// write does, then deletes nothing, not even the parent.
TEST_F(CatalogueTest, ADeleteWhileAnotherStationWritesAChildTableDeletesNothing) {
  AddClassOfThree();
  files::test::HoldingStation station(FILES_TEST_HELPER, DiskName(Table::GYMDClases));
  ASSERT_TRUE(station.Holds());

  TableRelationManager& classes = Rm(Table::GYMHClases);
  ASSERT_EQ(classes.Open(), kLevelBenign);
  SetText(GYMHC::CODCLASES, "1");
  ASSERT_EQ(Fm(Table::GYMHClases).TryFetch(GYMHC::KEYGYMH01.index), kLevelBenign);
  EXPECT_EQ(classes.Delete(), kLevelNotify);
  station.Kill();
  ASSERT_EQ(display_.texts.size(), 1u);
  EXPECT_EQ(display_.texts[0], NothingChanged(Table::GYMDClases, "File Is Already Locked"));
  EXPECT_EQ(Column(GYMHC::CODCLASES), (std::vector<std::string>{"1"}));
  EXPECT_EQ(Column(GYMDC::CODIGO), (std::vector<std::string>{"a", "b", "c"}));

  SetText(GYMHC::CODCLASES, "1");
  ASSERT_EQ(Fm(Table::GYMHClases).TryFetch(GYMHC::KEYGYMH01.index), kLevelBenign);
  EXPECT_EQ(classes.Delete(), kLevelBenign);
  EXPECT_TRUE(Column(GYMHC::CODCLASES).empty());
  EXPECT_TRUE(Column(GYMDC::CODIGO).empty());
  classes.Close();
}

// Another station in the middle of a write on a table that restricts the delete (it may be
// adding a record that refers to this one, not yet committed): the delete waits for it as a
// write does, then deletes nothing.
TEST_F(CatalogueTest, ADeleteWhileAnotherStationWritesARestrictingTableDeletesNothing) {
  Add(Table::Bancos, [] { SetText(BAN::CODIGO, "B1"); });
  Add(Table::SaldoBancos, [] { SetText(SAB::CODIGO, "B2"); });
  files::test::HoldingStation station(FILES_TEST_HELPER, DiskName(Table::SaldoBancos));
  ASSERT_TRUE(station.Holds());

  TableRelationManager& banks = Rm(Table::Bancos);
  ASSERT_EQ(banks.Open(), kLevelBenign);
  SetText(BAN::CODIGO, "B1");
  ASSERT_EQ(Fm(Table::Bancos).TryFetch(0), kLevelBenign);
  EXPECT_EQ(banks.Delete(), kLevelNotify);
  station.Kill();
  ASSERT_EQ(display_.texts.size(), 1u);
  EXPECT_EQ(display_.texts[0], NothingChanged(Table::SaldoBancos, "File Is Already Locked"));
  EXPECT_EQ(Column(BAN::CODIGO), (std::vector<std::string>{"B1"}));
  banks.Close();
}

// A process killed in the middle of a cascade, after the parent's delete and at the first
// write to the child table: the next open finds every table as it was.
TEST_F(CatalogueTest, ADeleteKilledInItsMiddleLeavesEveryTableAsItWas) {
  AddClassOfThree();
  Station station({"delete-class", folder_.string()}, CATALOGUE_TEST_HELPER);
  ASSERT_EQ(station.ReadLine(), "stalled");
  // Well past the grouped commits' interval: a write that the cascade did not hold in its
  // transaction would be on disk by now.
  std::this_thread::sleep_for(3 * files::kCommitInterval);
  station.Kill();
  EXPECT_EQ(Column(GYMHC::CODCLASES), (std::vector<std::string>{"1"}));
  EXPECT_EQ(Column(GYMDC::CODIGO), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(display_.texts.empty());
}

TEST_F(CatalogueTest, ADeleteThroughAnAliasKeepsItsTablesRelations) {
  Add(Table::Bancos, [] { SetText(BAN::CODIGO, "B1"); });
  Add(Table::SaldoBancos, [] { SetText(SAB::CODIGO, "B1"); });
  TableRelationManager& alias = Rm(Table::BAN1Alias);
  ASSERT_EQ(alias.Open(), kLevelBenign);
  auto remove = [&] {
    SetText(ABAN1::CODIGO, "B1");
    EXPECT_EQ(Fm(Table::BAN1Alias).TryFetch(0), kLevelBenign);
    return alias.Delete();
  };
  EXPECT_EQ(remove(), kLevelNotify);
  ASSERT_EQ(display_.texts.size(), 1u);
  EXPECT_EQ(display_.texts[0],
            "Este registro es referenciado por SaldoBancos. Este registro no puede ser eliminado "
            "mientras exista la referencia.");
  EXPECT_EQ(Column(BAN::CODIGO), (std::vector<std::string>{"B1"}));
  EXPECT_EQ(Column(SAB::CODIGO), (std::vector<std::string>{"B1"}));

  Erase(Table::SaldoBancos, SAB::KEYSAB01.index, [] { SetText(SAB::CODIGO, "B1"); });
  EXPECT_EQ(remove(), kLevelBenign);
  EXPECT_TRUE(Column(BAN::CODIGO).empty());
  alias.Close();
}

// With only the tables that start-up names having a disk name, a product's delete walks
// past the temporary tables as empty ones, and creates no file whether refused or done.
TEST_F(CatalogueTest, ADeleteWalksPastTablesWithoutADiskNameAndCreatesNoFile) {
  std::set<Table> named;
  for (const DiskFile& file : DiskFiles()) named.insert(file.table);
  for (size_t i = 0; i < kTableCount; ++i) {
    const TableDef& def = Def(static_cast<Table>(i));
    if (named.count(def.is_alias ? def.alias_of : def.id) == 0) SetDiskName(def.id, "");
  }
  Add(Table::InventML, [] { SetText(INV::CODPRO, "P1"); });
  Add(Table::DetMovML, [] {
    SetText(DET::CONTROL, "D1");
    SetText(DET::CODPRO, "P1");
  });
  const std::set<std::string> files = Files();
  TableRelationManager& products = Rm(Table::InventML);
  ASSERT_EQ(products.Open(), kLevelBenign);
  auto remove = [&] {
    SetText(INV::CODPRO, "P1");
    EXPECT_EQ(Fm(Table::InventML).TryFetch(INV::KEYINV01.index), kLevelBenign);
    return products.Delete();
  };
  EXPECT_EQ(remove(), kLevelNotify);
  ASSERT_EQ(display_.texts.size(), 1u);
  EXPECT_EQ(display_.texts[0].rfind("Este registro es referenciado por DetMovML.", 0), 0u);
  EXPECT_EQ(Files(), files);

  Erase(Table::DetMovML, DET::KEYDET01.index, [] { SetText(DET::CONTROL, "D1"); });
  EXPECT_EQ(remove(), kLevelBenign);
  EXPECT_TRUE(Column(INV::CODPRO).empty());
  EXPECT_EQ(Files(), files);
  EXPECT_EQ(display_.texts.size(), 1u);
  products.Close();
}

// A parent table without a file, or without a disk name, holds no value: the check fails
// quietly without a report, with message 16 with one, and creates nothing either way.
TEST_F(CatalogueTest, AMustExistCheckOnAMissingParentFileCreatesNothing) {
  Fm(Table::ProCliML).PrimeRecord();
  SetText(PRO::NOMBREEGEO2, "Zulia");
  const std::set<std::string> files = Files();
  EXPECT_EQ(Fm(Table::ProCliML).TryValidateField(PRO::NOMBREEGEO2.index), kLevelNotify);
  EXPECT_TRUE(display_.texts.empty());
  EXPECT_EQ(Fm(Table::ProCliML).ValidateField(PRO::NOMBREEGEO2.index), kLevelNotify);
  ASSERT_EQ(display_.texts.size(), 1u);
  EXPECT_EQ(display_.texts[0], "El valor del campo Nombre entidad geografica 2 debe hallarse en "
                               "el archivo EntidadGeo2.");
  SetDiskName(Table::EntidadGeo2, "");
  EXPECT_EQ(Fm(Table::ProCliML).TryValidateField(PRO::NOMBREEGEO2.index), kLevelNotify);
  EXPECT_EQ(display_.texts.size(), 1u);
  EXPECT_EQ(Files(), files);
  EXPECT_EQ(Fm(Table::EntidadGeo2).open_count(), 0);
}

// A parent file that fails to be read is reported as such, not taken for a missing value.
TEST_F(CatalogueTest, AMustExistCheckOnAnUnreadableParentReportsTheFile) {
  files::test::FaultVfs disk;
  Add(Table::EntidadGeo2, [] { SetText(ENG2::NOMBREEGEO2, "Zulia"); });
  ASSERT_EQ(Fm(Table::EntidadGeo2).Open(), kLevelBenign);
  ASSERT_EQ(Fm(Table::EntidadGeo2).SetStart(0), kLevelBenign);  // opened now
  Fm(Table::ProCliML).PrimeRecord();
  SetText(PRO::NOMBREEGEO2, "Zulia");
  disk.Fail(DiskName(Table::EntidadGeo2), files::test::FaultVfs::Fault::kReadError);
  EXPECT_EQ(Fm(Table::ProCliML).TryValidateField(PRO::NOMBREEGEO2.index), library::kLevelFatal);
  disk.Clear();
  ASSERT_EQ(display_.texts.size(), 1u);
  EXPECT_EQ(display_.texts[0], "No se pudo abrir el archivo " + DiskName(Table::EntidadGeo2) +
                                   ". Error: File System Error.");
  EXPECT_EQ(Fm(Table::ProCliML).TryValidateField(PRO::NOMBREEGEO2.index), kLevelBenign);
  Fm(Table::EntidadGeo2).Close();
}

// An open that another station's share mode refuses waits, up to the lock-recovery time,
// for that station to close the file.
TEST_F(CatalogueTest, AnOpenRefusedByAnotherStationWaitsForItToClose) {
  Add(Table::Bancos, [] { SetText(BAN::CODIGO, "B1"); });
  Station station({"deny-write", DiskName(Table::Bancos), "300"});
  ASSERT_EQ(station.ReadLine(), "opened");
  ASSERT_EQ(Fm(Table::Bancos).Open(), kLevelBenign);
  SetText(BAN::CODIGO, "B1");
  EXPECT_EQ(Fm(Table::Bancos).TryFetch(BAN::KEYBAN01.index), kLevelBenign);
  Fm(Table::Bancos).Close();
  EXPECT_TRUE(display_.texts.empty());
}

TEST_F(CatalogueTest, ParametersKeepTheirReservedBytesThroughAWrite) {
  const files::RecordLayout& layout = Def(Table::ParameML).layout;
  std::vector<bool> covered(layout.length, false);
  for (const files::FieldDecl& field : layout.fields) {
    std::fill_n(covered.begin() + field.offset, field.size, true);
  }
  Add(Table::ParameML, [&] {
    SetText(PAR::CONTROL, "1");
    for (uint32_t i = 0; i < layout.length; ++i) {
      if (!covered[i]) RecordOf(Table::ParameML)[i] = 0xA5;
    }
  });
  TableFileManager& fm = Fm(Table::ParameML);
  ASSERT_EQ(Rm(Table::ParameML).Open(), kLevelBenign);
  std::memset(RecordOf(Table::ParameML), 0, layout.length);
  SetText(PAR::CONTROL, "1");
  ASSERT_EQ(fm.TryFetch(PAR::KEYPAR01.index), kLevelBenign);
  SetText(PAR::NOMBREMONEDA, "BsS");
  ASSERT_TRUE(SetDecimal(PAR::FACTORCONVERSION, runtime::Decimal::FromInt(100000)));
  ASSERT_EQ(Rm(Table::ParameML).Update(), kLevelBenign);
  std::memset(RecordOf(Table::ParameML), 0, layout.length);
  SetText(PAR::CONTROL, "1");
  ASSERT_EQ(fm.TryFetch(PAR::KEYPAR01.index), kLevelBenign);
  EXPECT_EQ(GetText(PAR::NOMBREMONEDA), "BsS");
  EXPECT_EQ(GetDecimal(PAR::FACTORCONVERSION), runtime::Decimal::FromInt(100000));
  size_t reserved = 0;
  for (uint32_t i = 0; i < layout.length; ++i) {
    if (covered[i]) continue;
    ++reserved;
    EXPECT_EQ(RecordOf(Table::ParameML)[i], 0xA5) << "byte " << i;
  }
  EXPECT_EQ(reserved, 32u + 31u + 304u);
  Rm(Table::ParameML).Close();
}

TEST_F(CatalogueTest, MemoTablesBindTheirMemoByName) {
  Fm(Table::TEMPDETMOV).BindFields();
  std::memcpy(MemoOf(Table::TEMPDETMOV, 0), "S-001", 5);
  std::optional<std::string> value = library::BoundValue("DTM:Seriales");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->size(), 4055u);
  EXPECT_EQ(value->substr(0, 5), "S-001");
  EXPECT_TRUE(library::BoundValue("DTM:CONTROL").has_value());
  Fm(Table::DTMAlias).BindFields();
  EXPECT_FALSE(library::BoundValue("ADTM:Seriales").has_value());
  Fm(Table::TEMPDETMOV).Kill();
  EXPECT_FALSE(library::BoundValue("DTM:Seriales").has_value());
}

TEST_F(CatalogueTest, KeysCompareWithCaseOnlyWhereDeclaredSo) {
  Add(Table::SwNomSec, [] { SetText(SEC1::CODUSER, "ana"); });
  Add(Table::SwNomSec, [] { SetText(SEC1::CODUSER, "ANA"); });  // a key with case
  Add(Table::QKCONUSU, [] { SetText(PWD::CODUSU, "ana"); });
  TableFileManager& accounting = Fm(Table::QKCONUSU);
  ASSERT_EQ(accounting.Open(), kLevelBenign);
  accounting.PrimeRecord();
  SetText(PWD::CODUSU, "ANA");
  EXPECT_EQ(accounting.Insert(), kLevelNotify);  // the same value of a key without case
  ASSERT_EQ(display_.texts.size(), 1u);
  EXPECT_EQ(display_.texts[0].rfind("No se pudo grabar en el archivo", 0), 0u);
  accounting.Close();
  EXPECT_EQ(Column(SEC1::CODUSER).size(), 2u);
  EXPECT_EQ(Column(PWD::CODUSU), (std::vector<std::string>{"ana"}));
}

TEST_F(CatalogueTest, ATextAutoIncrementCountsAsANumber) {
  for (const char* expected : {"1", "2"}) {
    Add(Table::SERHRecipes, [&] { EXPECT_EQ(GetText(SERHRC::CONTROLCHIS), expected); });
  }
}

TEST_F(CatalogueTest, ADescendingKeyReadsInFallingOrder) {
  for (const char* reference : {"2", "9", "5"}) {
    Add(Table::DetSeriales, [&] {
      SetText(DES::NUMREF, reference);
      SetText(DES::SERIAL, reference);
    });
  }
  TableFileManager& fm = Fm(Table::DetSeriales);
  ASSERT_EQ(fm.Open(), kLevelBenign);
  ASSERT_EQ(fm.SetStart(DES::KEYDES07.index), kLevelBenign);
  std::vector<std::string> order;
  while (fm.Next() == kLevelBenign) order.push_back(GetText(DES::NUMREF));
  EXPECT_EQ(order, (std::vector<std::string>{"9", "5", "2"}));
  fm.Close();
}

}  // namespace
}  // namespace catalogue
