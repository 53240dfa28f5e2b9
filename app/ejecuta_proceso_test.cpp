#include "app/ejecuta_proceso.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <unistd.h>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "app/conversion_tables.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "app/program_run.h"
#include "catalogue/catalogue.h"
#include "catalogue/disk_names.h"
#include "catalogue/fields.h"
#include "catalogue/modules.h"
#include "catalogue/table_managers.h"
#include "platform/library/field_value.h"
#include "platform/runtime/decimal.h"
#include "platform/runtime/text.h"
#include "platform/ui/headless/headless_backend.h"
#include "tools/demo_suite.h"
#include "platform/runtime/test_support.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using catalogue::Table;
using runtime::Decimal;

// Old amounts and what they become.
struct Amount {
  const char* old_value;
  const char* new_value;
};
constexpr Amount kAmounts[] = {
    {"0", "0.01"},         {"999.99", "0.01"},      {"1000", "0.01"},  {"1500", "0.02"},
    {"1499.99", "0.01"},   {"234500", "2.35"},      {"876543210", "8765.43"},
    {"-500", "-0.01"},     {"-400", "0"},           {"7654321.89", "76.54"},
};
constexpr int kRecordsPerTable = 5;

Decimal Parse(const char* text) { return *Decimal::Parse(text); }

const files::RecordLayout& LayoutOf(Table table) { return catalogue::Def(table).layout; }

// Record i of a table: every LONG and SHORT field i - 2 (so keys hold negative values),
// every text field "R<i>", every byte i % 2, every amount one of kAmounts.
void FillRecord(Table table, int i, uint8_t* record) {
  const files::RecordLayout& layout = LayoutOf(table);
  library::ClearRecord(layout, record);
  int amount = i;
  for (const files::FieldDecl& f : layout.fields) {
    switch (f.type) {
      case files::FieldType::Long:
      case files::FieldType::Short: library::SetFieldNumber(f, record, i - 2); break;
      case files::FieldType::Byte: record[f.offset] = static_cast<uint8_t>(i % 2); break;
      case files::FieldType::CString:
      case files::FieldType::String: library::SetFieldText(f, record, std::string("R").append(std::to_string(i))); break;
      case files::FieldType::Decimal:
        if (f.places == 2 && f.digits >= 11) {
          ASSERT_TRUE(runtime::StoreDecimalField(record + f.offset, f.digits, f.places,
                                                 Parse(kAmounts[amount++ % std::size(kAmounts)].old_value)));
        }
        break;
      default: break;
    }
  }
}

std::string AmountText(const uint8_t* record, const catalogue::FieldRef& f) {
  return *runtime::DecimalFieldText(record + f.offset, f.digits, f.places);
}

// A suite of the sixteen tables and the parameters table in a folder of its own, with the
// catalogue of this thread built over it and the parameters table open as the main window
// leaves it.
class ConversionSuite : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("conversion_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    ErrorManagerGlobal.emplace();
    catalogue::CatalogInit(*ErrorManagerGlobal);
    for (const ConvertedTable& t : ConvertedTables()) Name(t.key.table);
    WriteTables();
    Name(Table::ParameML);
    std::vector<uint8_t> parameters(LayoutOf(Table::ParameML).length);
    library::ClearRecord(LayoutOf(Table::ParameML), parameters.data());
    SetParameters(parameters.data(), "Bs", "1", 1);
    Write(Table::ParameML, {parameters});
    ASSERT_EQ(catalogue::RelationManagerOf(Table::ParameML)->Open(), 0);
  }

  // The sixteen tables with kRecordsPerTable records each, under their disk names.
  void WriteTables() {
    for (const ConvertedTable& t : ConvertedTables()) {
      const Table table = t.key.table;
      std::vector<std::vector<uint8_t>>& records = before_[table];
      for (int i = 0; i < kRecordsPerTable; ++i) {
        records.emplace_back(LayoutOf(table).length);
        FillRecord(table, i, records.back().data());
      }
      Write(table, records);
    }
  }

  void TearDown() override {
    catalogue::RelationManagerOf(Table::ParameML)->Close();
    catalogue::CatalogKill();
    ErrorManagerGlobal.reset();
    fs::remove_all(dir_);
  }

  void Name(Table table) {
    catalogue::SetDiskName(table, (dir_ / (std::string(catalogue::Def(table).label) + ".VQF")).string());
  }

  static void SetParameters(uint8_t* record, const char* currency, const char* factor, uint8_t reconversion) {
    using namespace catalogue::PAR;
    const int32_t control = 1;
    std::memcpy(record + CONTROL.offset, &control, sizeof control);
    record[RECONVERSION.offset] = reconversion;
    runtime::WriteCStringField(record + NOMBREMONEDA.offset, NOMBREMONEDA.size, currency);
    ASSERT_TRUE(runtime::StoreDecimalField(record + FACTORCONVERSION.offset, FACTORCONVERSION.digits,
                                           FACTORCONVERSION.places, Parse(factor)));
  }

  // Replaces the table's file with one holding these records, through a file instance of
  // its own so that the catalogue's stays closed.
  void Write(Table table, const std::vector<std::vector<uint8_t>>& records) {
    std::vector<uint8_t> buffer(LayoutOf(table).length);
    files::KeyedFile file(LayoutOf(table), buffer.data());
    ASSERT_EQ(file.Create(catalogue::DiskName(table)), 0) << file.Detail();
    if (!file.IsOpen()) {
      ASSERT_EQ(file.Open(catalogue::DiskName(table)), 0) << file.Detail();
    }
    for (const std::vector<uint8_t>& record : records) {
      buffer = record;
      ASSERT_EQ(file.Add(), 0) << catalogue::Def(table).label << ": " << file.Detail();
    }
    ASSERT_EQ(file.Close(), 0);
  }

  // The table's records as the file holds them, in the order of the run's key.
  std::vector<std::vector<uint8_t>> Read(const catalogue::KeyRef& key) {
    std::vector<uint8_t> buffer(LayoutOf(key.table).length);
    files::KeyedFile file(LayoutOf(key.table), buffer.data());
    std::vector<std::vector<uint8_t>> records;
    EXPECT_EQ(file.Open(catalogue::DiskName(key.table)), 0) << file.Detail();
    file.SetStart(key.index);
    while (file.Next() == 0) records.push_back(buffer);
    file.Close();
    return records;
  }

  // The parameters record as other stations see it: the main window's open file has
  // committed its writes once it is closed.
  std::vector<uint8_t> Parameters() {
    catalogue::RelationManagerOf(Table::ParameML)->Close();
    std::vector<uint8_t> record = Read(catalogue::PAR::KEYPAR01).at(0);
    EXPECT_EQ(catalogue::RelationManagerOf(Table::ParameML)->Open(), 0);
    return record;
  }

  // Every amount of every record converted once, every other byte as it was.
  void ExpectConverted(const ConvertedTable& t) {
    const char* label = catalogue::Def(t.key.table).label;
    std::vector<std::vector<uint8_t>> after = Read(t.key);
    std::vector<std::vector<uint8_t>> before = before_[t.key.table];
    ASSERT_EQ(after.size(), before.size()) << label;
    for (size_t r = 0; r < after.size(); ++r) {
      // Records are matched by content outside the amounts: the fixture's records differ
      // in every text.
      std::vector<uint8_t> expected;
      for (const std::vector<uint8_t>& b : before) {
        std::vector<uint8_t> masked_b = b, masked_a = after[r];
        for (const catalogue::FieldRef& f : t.amounts) {
          std::memset(masked_b.data() + f.offset, 0, f.size);
          std::memset(masked_a.data() + f.offset, 0, f.size);
        }
        if (masked_a == masked_b) expected = b;
      }
      ASSERT_FALSE(expected.empty()) << label << ": record " << r << " changed outside its amounts";
      for (const catalogue::FieldRef& f : t.amounts) {
        const std::string old_value = AmountText(expected.data(), f);
        std::string new_value;
        for (const Amount& a : kAmounts) {
          if (Parse(a.old_value) == Parse(old_value.c_str())) new_value = a.new_value;
        }
        EXPECT_EQ(AmountText(after[r].data(), f), new_value) << label << " field " << f.index;
      }
    }
  }

  void ExpectUntouched(const ConvertedTable& t) {
    const std::vector<std::vector<uint8_t>> after = Read(t.key);
    const std::vector<std::vector<uint8_t>>& before = before_[t.key.table];
    EXPECT_EQ(after.size(), before.size()) << catalogue::Def(t.key.table).label;
    for (const std::vector<uint8_t>& record : after) {
      EXPECT_NE(std::find(before.begin(), before.end(), record), before.end()) << catalogue::Def(t.key.table).label;
    }
  }

  // The log list as the window showed it last.
  std::vector<std::string> Log() {
    const ui::ShownWindow* shown = screen_.Shown("Dinarvex$Dinvx004");
    return shown == nullptr ? std::vector<std::string>{} : shown->Control("?LIST2").rows;
  }
  std::string Status() { return screen_.Shown("Dinarvex$Dinvx004")->Control("?LOC:MENSABASE").text; }

  // The log a run writes when every table converts; `empty` tables get the empty line.
  static std::vector<::testing::Matcher<std::string>> CleanLog(const std::vector<Table>& empty) {
    // gmock's own regular expressions are a smaller dialect on Windows, without [] and {}.
    const auto MatchesRegex = [](const std::string& pattern) {
      return ::testing::Truly([pattern](const std::string& line) { return std::regex_match(line, std::regex(pattern)); });
    };
    std::vector<::testing::Matcher<std::string>> lines;
    lines.push_back(MatchesRegex("Comienza el proceso de reconversión monetaria\\.\\.\\.\\."
                                 "[0-9]{2}/[0-9]{2}/[0-9]{4}[0-9]{2}:[0-9]{2}[AP]M"));
    for (const ConvertedTable& t : ConvertedTables()) {
      lines.push_back(t.header);
      if (std::find(empty.begin(), empty.end(), t.key.table) != empty.end()) {
        lines.push_back("   <--- ARCHIVO VACIO --->");
      }
    }
    lines.push_back(MatchesRegex("\\*\\*\\* Fin del Procesamiento [0-9]{2}/[0-9]{2}/[0-9]{4}[0-9]{2}:[0-9]{2}[AP]M"));
    return lines;
  }

  void RunConversion() {
    screen_.Click("?BTN_EJECUTAR").Answer("Si").Answer("Aceptar");
    EjecutaProceso();
    EXPECT_THAT(screen_.errors(), ::testing::IsEmpty());
  }

  fs::path dir_;
  ui::HeadlessBackend screen_;
  std::map<Table, std::vector<std::vector<uint8_t>>> before_;
};

TEST_F(ConversionSuite, ConvertsEveryAmountOnceAndRecordsTheNewFactor) {
  Write(Table::Servidores, {});
  before_[Table::Servidores].clear();
  RunConversion();

  for (const ConvertedTable& t : ConvertedTables()) ExpectConverted(t);
  const std::vector<uint8_t> parameters = Parameters();
  using namespace catalogue::PAR;
  EXPECT_EQ(parameters[RECONVERSION.offset], 0);
  EXPECT_EQ(AmountText(parameters.data(), FACTORCONVERSION), "100000");
  EXPECT_EQ(runtime::ReadCStringField(parameters.data() + NOMBREMONEDA.offset, NOMBREMONEDA.size), "BsS");

  EXPECT_THAT(Log(), ::testing::ElementsAreArray(CleanLog({Table::Servidores})));
  ASSERT_EQ(screen_.messages().size(), 2u);
  EXPECT_EQ(screen_.messages()[0].box.text, "¿Desea ejecutar este proceso?");
  EXPECT_EQ(screen_.messages()[0].box.default_button, 2);
  EXPECT_EQ(screen_.messages()[1].box.text, "Fin del proceso");
  EXPECT_EQ(screen_.messages()[1].box.caption, "Información");
  EXPECT_FALSE(screen_.Shown("Dinarvex$Dinvx004")->Control("?BTN_EJECUTAR").visible);
  // The first record of each table shows in the status line; Bancos' header does not.
  const std::vector<std::string> status = screen_.History("Dinarvex$Dinvx004", "?LOC:MENSABASE");
  EXPECT_THAT(status, ::testing::Contains("  --> Procesando R0 C R0"));
  EXPECT_THAT(status, ::testing::Not(::testing::Contains("+Convirtiendo Bancos")));
  EXPECT_THAT(status, ::testing::Contains("+Convirtiendo servidores"));
}

TEST_F(ConversionSuite, ReopenedWindowShowsTheRunButtonAgain) {
  RunConversion();
  screen_.CloseBox();
  EjecutaProceso();
  EXPECT_TRUE(screen_.Shown("Dinarvex$Dinvx004")->Control("?BTN_EJECUTAR").visible);
  EXPECT_THAT(Log(), ::testing::IsEmpty());
}

TEST_F(ConversionSuite, NoLeavesEveryFileUntouched) {
  const std::vector<uint8_t> parameters = Parameters();
  screen_.Click("?BTN_EJECUTAR").Answer("No");
  EjecutaProceso();
  for (const ConvertedTable& t : ConvertedTables()) ExpectUntouched(t);
  EXPECT_EQ(Parameters(), parameters);
  EXPECT_THAT(Log(), ::testing::IsEmpty());
  EXPECT_TRUE(screen_.Shown("Dinarvex$Dinvx004")->Control("?BTN_EJECUTAR").visible);
}

TEST_F(ConversionSuite, ConvertedDataAskAgainWithNoAsDefault) {
  std::vector<uint8_t> parameters = Parameters();
  SetParameters(parameters.data(), "BsS", "100000", 0);
  Write(Table::ParameML, {parameters});

  screen_.Click("?BTN_EJECUTAR").Answer("Si").Answer("No");
  EjecutaProceso();
  ASSERT_EQ(screen_.messages().size(), 2u);
  EXPECT_THAT(screen_.messages()[1].box.text, ::testing::HasSubstr("convertidos ya"));
  EXPECT_EQ(screen_.messages()[1].box.default_button, 2);
  for (const ConvertedTable& t : ConvertedTables()) ExpectUntouched(t);
  EXPECT_EQ(Parameters(), parameters);

  screen_.Click("?BTN_EJECUTAR").Answer("Si").Answer("Si").Answer("Aceptar");
  EjecutaProceso();
  for (const ConvertedTable& t : ConvertedTables()) ExpectConverted(t);
}

TEST_F(ConversionSuite, MissingFileIsLoggedAndCountsAsEmpty) {
  fs::remove(catalogue::DiskName(Table::Conbanco));
  RunConversion();
  const std::vector<std::string> log = Log();
  const auto header = std::find(log.begin(), log.end(), "+Convirtiendo contabilidad banco");
  ASSERT_NE(header, log.end());
  ASSERT_LT(header + 2, log.end());
  EXPECT_THAT(header[1], ::testing::StartsWith("**** Ha ocurrido un error para contabilidad bancos: "));
  EXPECT_THAT(header[1], ::testing::HasSubstr(catalogue::DiskName(Table::Conbanco)));
  EXPECT_EQ(header[2], "   <--- ARCHIVO VACIO --->");
  EXPECT_EQ(log.size(), 18u + 2u);
  EXPECT_FALSE(fs::exists(catalogue::DiskName(Table::Conbanco)));
  for (const ConvertedTable& t : ConvertedTables()) {
    if (t.key.table != Table::Conbanco) ExpectConverted(t);
  }
}

TEST_F(ConversionSuite, EveryFailedWriteGetsItsLineAndTheRecordKeepsItsValues) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(catalogue::DiskName(Table::Movbanco).c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "CREATE TRIGGER refuse BEFORE UPDATE ON records BEGIN SELECT RAISE(ABORT, 'refused'); END;",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  RunConversion();
  const std::vector<std::string> log = Log();
  const auto header = std::find(log.begin(), log.end(), "+Convirtiendo movimiento bancos");
  ASSERT_NE(header, log.end());
  ASSERT_LT(header + kRecordsPerTable, log.end());
  for (int i = 1; i <= kRecordsPerTable; ++i) {
    EXPECT_TRUE(std::regex_match(header[i], std::regex("\\*\\*\\*\\* Ha ocurrido un error movimiento bancos: R[0-9]\\|.+")))
        << header[i];
  }
  EXPECT_EQ(header[kRecordsPerTable + 1], "+Convirtiendo clientes y proveedores");
  EXPECT_EQ(log.size(), 18u + kRecordsPerTable);
  ExpectUntouched(ConvertedTables()[11]);
}

// The whole program in a demo suite holding the sixteen tables: a person logs in, opens the
// conversion window and runs it.
class LoginSession : public ConversionSuite {
 protected:
  void SetUp() override {
    dir_ = runtime::test::MakeTemporaryFolder("dinarvex-conversion");
    ASSERT_EQ(tools::WriteDemoSuite(tools::StandardDemo(dir_.string())), "");
    for (const catalogue::DiskFile& disk : catalogue::DiskFiles()) {
      if (disk.folder == catalogue::Folder::RutaDatos) {
        catalogue::SetDiskName(disk.table, (dir_ / "Dadm" / disk.file).string());
      }
    }
    WriteTables();
    fs::create_directories(dir_ / "run");
    runtime::test::SetEnvironment("XDG_RUNTIME_DIR", (dir_ / "run").string());
    previous_folder_ = fs::current_path();
    fs::current_path(dir_ / "Dinarvex");
  }
  void TearDown() override {
    fs::current_path(previous_folder_);
    runtime::test::UnsetEnvironment("XDG_RUNTIME_DIR");
    fs::remove_all(dir_);
  }
  fs::path previous_folder_;
};

TEST_F(LoginSession, FromLoginThroughTheConversion) {
  screen_.Type("?GLO:CODUSER", "DEMO").Tab().Type("?LOC:CLAVE", "demo123").Tab().Click("?BTN_INICIAR");
  screen_.Click("?BTN_PROCESO").Click("?BTN_EJECUTAR").Answer("Si").Answer("Aceptar").CloseBox();
  screen_.Click("?SALIR").Answer("Si");
  EXPECT_EQ(RunProgram(&Main), 0);
  EXPECT_THAT(screen_.errors(), ::testing::IsEmpty());
  EXPECT_THAT(Log(), ::testing::ElementsAreArray(CleanLog({})));
  for (const ConvertedTable& t : ConvertedTables()) ExpectConverted(t);
  const std::vector<uint8_t> parameters = Read(catalogue::PAR::KEYPAR01).at(0);
  using namespace catalogue::PAR;
  EXPECT_EQ(AmountText(parameters.data(), FACTORCONVERSION), "100000");
  EXPECT_EQ(runtime::ReadCStringField(parameters.data() + NOMBREMONEDA.offset, NOMBREMONEDA.size), "BsS");
}

TEST(ConversionProgress, ClientsShowCAndSuppliersP) {
  const ConvertedTable& clients = ConvertedTables()[12];
  ASSERT_EQ(clients.key.table, Table::ProCliML);
  std::vector<uint8_t> record(LayoutOf(Table::ProCliML).length);
  for (const auto& [kind, shown] : std::vector<std::pair<uint8_t, std::string>>{{0, "C"}, {1, "P"}}) {
    library::ClearRecord(LayoutOf(Table::ProCliML), record.data());
    record[catalogue::PRO::TIPREG.offset] = kind;
    runtime::WriteCStringField(record.data() + catalogue::PRO::CODIGO.offset, catalogue::PRO::CODIGO.size, "000123");
    runtime::WriteCStringField(record.data() + catalogue::PRO::NOMBRE.offset, catalogue::PRO::NOMBRE.size, "Pérez");
    EXPECT_EQ(clients.progress(record.data()), "000123 " + shown + " Pérez");
  }
}

TEST(ConversionTables, SixteenTablesWith126Amounts) {
  size_t amounts = 0;
  for (const ConvertedTable& t : ConvertedTables()) amounts += t.amounts.size();
  EXPECT_EQ(ConvertedTables().size(), 16u);
  EXPECT_EQ(amounts, 126u);
}

}  // namespace
}  // namespace app
