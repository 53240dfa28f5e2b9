#include "app/ejecuta_proceso.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <filesystem>
#include <fstream>
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
#include "catalogue/generated/fields.h"
#include "catalogue/modules.h"
#include "catalogue/table_managers.h"
#include "platform/files/fault_vfs.h"
#include "platform/files/test_process.h"
#include "platform/files/test_sql.h"
#include "platform/files/test_walk.h"
#include "platform/library/field_value.h"
#include "platform/runtime/cp1252.h"
#include "platform/runtime/decimal.h"
#include "platform/runtime/text.h"
#include "platform/ui/headless/headless_backend.h"
#include "tools/demo_suite.h"
#include "platform/runtime/test_support.h"

namespace app {
namespace {

// A line that the regular expression matches whole. gmock's own MatchesRegex is a smaller
// dialect on Windows, without [] and {}.
::testing::Matcher<std::string> FullyMatches(const std::string& pattern) {
  return ::testing::Truly([pattern](const std::string& line) { return std::regex_match(line, std::regex(pattern)); });
}

namespace fs = std::filesystem;
using runtime::test::ReadWholeFile;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::StartsWith;
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
std::string AmountText(const uint8_t* record, const files::FieldDecl& f) {
  return *runtime::DecimalFieldText(record + f.offset, f.digits, f.places);
}

// The money fields of each table as the suite's dictionary lists them, read from the
// fixture that tools/converted_fields_fixture.py writes, and found in the table's layout
// by name: the run is checked against a list made apart from its own.
const std::vector<files::FieldDecl>& FixtureAmounts(Table table) {
  static const std::map<std::string, std::vector<files::FieldDecl>> by_label = [] {
    std::map<std::string, std::vector<files::FieldDecl>> fields;
    std::ifstream fixture(DINARVEX_SOURCE_DIR "/app/testdata/converted_fields.txt");
    std::string label, name;
    while (fixture >> label >> name) {
      for (const ConvertedTable& t : ConvertedTables()) {
        if (label != catalogue::Def(t.key.table).label) continue;
        for (const files::FieldDecl& f : catalogue::Def(t.key.table).layout.fields) {
          if (f.name == name) fields[label].push_back(f);
        }
      }
    }
    return fields;
  }();
  const auto found = by_label.find(catalogue::Def(table).label);
  static const std::vector<files::FieldDecl> none;
  return found == by_label.end() ? none : found->second;
}

// A suite of the sixteen tables and the parameters table in a folder of its own, with the
// catalogue of this thread built over it and the parameters table open as the main window
// leaves it.
class ConversionSuite : public ::testing::Test {
 protected:
  void SetUp() override {
    // The run writes its log into CopiasREC of the folder it runs in.
    previous_folder_ = fs::current_path();
    fs::current_path(dir_);
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

  // The table with `count` records instead, so that its run spans several commits.
  void Grow(Table table, int count) {
    std::vector<std::vector<uint8_t>>& records = before_[table];
    records.clear();
    for (int i = 0; i < count; ++i) {
      records.emplace_back(LayoutOf(table).length);
      FillRecord(table, i, records.back().data());
    }
    Write(table, records);
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
    fs::current_path(previous_folder_);
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

  // Runs SQL straight on the table's file, as another program would.
  static void Sql(Table table, const std::string& sql) {
    EXPECT_EQ(files::test::SqlFile(catalogue::DiskName(table)).Exec(sql), "");
  }

  // The table's records as the file holds them, in the order of the run's key; damaged
  // records are left out.
  std::vector<std::vector<uint8_t>> Read(const catalogue::KeyRef& key) {
    std::vector<uint8_t> buffer(LayoutOf(key.table).length);
    files::KeyedFile file(LayoutOf(key.table), buffer.data());
    std::vector<std::vector<uint8_t>> records;
    EXPECT_EQ(file.Open(catalogue::DiskName(key.table)), 0) << file.Detail();
    files::test::VisitRecords(file, key.index, [&] { records.push_back(buffer); });
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

  // Every amount of every record converted once, every other byte as it was; the amounts
  // are the dictionary's.
  void ExpectConverted(const ConvertedTable& t) {
    const std::vector<files::FieldDecl>& amounts = FixtureAmounts(t.key.table);
    ASSERT_EQ(amounts.size(), t.amounts.size()) << catalogue::Def(t.key.table).label;
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
        for (const files::FieldDecl& f : amounts) {
          std::memset(masked_b.data() + f.offset, 0, f.size);
          std::memset(masked_a.data() + f.offset, 0, f.size);
        }
        if (masked_a == masked_b) expected = b;
      }
      ASSERT_FALSE(expected.empty()) << label << ": record " << r << " changed outside its amounts";
      for (const files::FieldDecl& f : amounts) {
        const std::string old_value = AmountText(expected.data(), f);
        std::string new_value;
        for (const Amount& a : kAmounts) {
          if (Parse(a.old_value) == Parse(old_value.c_str())) new_value = a.new_value;
        }
        EXPECT_EQ(AmountText(after[r].data(), f), new_value) << label << " " << f.name;
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
    std::vector<::testing::Matcher<std::string>> lines;
    lines.push_back(FullyMatches("Comienza el proceso de reconversión monetaria\\.\\.\\.\\."
                                 "[0-9]{2}/[0-9]{2}/[0-9]{4}[0-9]{2}:[0-9]{2}[AP]M"));
    for (const ConvertedTable& t : ConvertedTables()) {
      lines.push_back(t.header);
      if (std::find(empty.begin(), empty.end(), t.key.table) != empty.end()) {
        lines.push_back("   <--- ARCHIVO VACIO --->");
      }
    }
    lines.push_back(FullyMatches("\\*\\*\\* Fin del Procesamiento [0-9]{2}/[0-9]{2}/[0-9]{4}[0-9]{2}:[0-9]{2}[AP]M"));
    return lines;
  }

  void RunConversion() {
    screen_.Click("?BTN_EJECUTAR").Answer("Si").Answer("Aceptar");
    EjecutaProceso();
    EXPECT_THAT(screen_.errors(), ::testing::IsEmpty());
  }

  // A run that continues the one before: the question is asked, naming after its count
  // the unfinished tables, one line each, and answered "Si"; every record of every table
  // ends up converted once.
  void ContinueAndExpectEverythingConverted(const std::vector<std::string>& unfinished) {
    const size_t asked = screen_.messages().size();
    screen_.Click("?BTN_EJECUTAR").Answer("Si").Answer("Si").Answer("Aceptar");
    EjecutaProceso();
    EXPECT_THAT(screen_.errors(), ::testing::IsEmpty());
    ASSERT_EQ(screen_.messages().size(), asked + 3);
    const ui::MessageBox& question = screen_.messages()[asked + 1].box;
    const size_t first_line_end = question.text.find('\n');
    EXPECT_THAT(question.text.substr(0, first_line_end),
                FullyMatches("La conversión anterior no terminó: comenzó el .* y convirtió [0-9]+ registros\\."));
    std::string rest;
    for (const std::string& line : unfinished) rest += line + "\n";
    EXPECT_EQ(question.text.substr(first_line_end + 1),
              rest + "¿Desea continuarla? Solo se convertirán los registros que aún no se convirtieron.");
    EXPECT_EQ(question.icon, ui::Icon::Exclamation);
    EXPECT_EQ(question.buttons, (std::vector<std::string>{"&Si", "&No"}));
    EXPECT_EQ(question.default_button, 1);
    EXPECT_THAT(Log(), Contains(StartsWith("Continúa la conversión que comenzó el ")));
    for (const ConvertedTable& t : ConvertedTables()) ExpectConverted(t);
    const std::vector<uint8_t> parameters = Parameters();
    using namespace catalogue::PAR;
    EXPECT_EQ(AmountText(parameters.data(), FACTORCONVERSION), "100000");
    EXPECT_EQ(runtime::ReadCStringField(parameters.data() + NOMBREMONEDA.offset, NOMBREMONEDA.size), "BsS");
  }

  // The continuation question's line for the run's table number i (0 for the first).
  static std::string UnfinishedLine(size_t i, const std::string& why) {
    const ConvertedTable& t = ConvertedTables()[i];
    return std::string(t.name) + " (" + catalogue::Def(t.key.table).label + ".VQF): " + why;
  }
  static constexpr const char* kNotYet =
      "sin convertir: la conversión no llegó a esta tabla o no pudo escribir en ella";
  static constexpr const char* kParametersLine =
      "parámetros (ParameML.VQF): aún no tienen la moneda BsS y el factor 100000";

  // The log lines that follow a table's header, up to the next header or the end line.
  std::vector<std::string> LinesOf(const std::string& header) {
    const std::vector<std::string> log = Log();
    std::vector<std::string> lines;
    auto line = std::find(log.begin(), log.end(), header);
    EXPECT_NE(line, log.end()) << header;
    if (line == log.end()) return lines;
    for (++line; line != log.end() && (*line)[0] != '+' && !line->starts_with("*** Fin"); ++line) {
      lines.push_back(*line);
    }
    return lines;
  }

  const runtime::test::TestFolder folder_;
  const fs::path dir_ = folder_.path();
  fs::path previous_folder_;
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

  // The run was complete: the next press asks the question on converted data.
  screen_.Click("?BTN_EJECUTAR").Answer("Si").Answer("No");
  EjecutaProceso();
  EXPECT_THAT(screen_.messages().back().box.text, StartsWith("Los datos parecen convertidos ya"));
}

TEST_F(ConversionSuite, EveryFailedWriteGetsItsLineAndTheRecordKeepsItsValues) {
  Sql(Table::Movbanco, "CREATE TRIGGER refuse BEFORE UPDATE ON records BEGIN SELECT RAISE(ABORT, 'refused'); END;");
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
  EXPECT_EQ(log.size(), 18u + kRecordsPerTable + 1);
  EXPECT_EQ(log[log.size() - 2],
            "**** Quedaron sin convertir 5 registros de Movbanco; al ejecutar el proceso otra vez se convertirán");
  ExpectUntouched(ConvertedTables()[11]);

  Sql(Table::Movbanco, "DROP TRIGGER refuse");
  ContinueAndExpectEverythingConverted(
      {UnfinishedLine(11, "5 registros quedaron sin convertir (no se pudieron leer o escribir)")});
}

// The tests' second process (app/conversion_child_main.cpp).
class Child : public files::test::TestProcess {
 public:
  explicit Child(std::vector<std::string> args) : TestProcess(CONVERSION_CHILD, std::move(args)) {}
};

// Another station in a write on a table's file.
using Station = files::test::HoldingStation;

struct KillPoint {
  const char* name;
  const char* point;  // as conversion_child takes it
  bool in_details;          // killed inside DetMovML, the run's table 6
  size_t first_not_begun;  // the first table the killed run did not begin; 16: none
};

class KilledRun : public ConversionSuite, public ::testing::WithParamInterface<KillPoint> {};

// A run killed with SIGKILL, then run again with "Si": every amount converted once, and
// the log on disk tells how far the killed run got.
TEST_P(KilledRun, ContinuedRunConvertsEveryAmountExactlyOnce) {
  Grow(Table::DetMovML, 400);  // its writes span several commits
  Child run({"run", dir_.string(), GetParam().point});
  ASSERT_TRUE(run.EndedByKill());

  std::vector<std::string> unfinished;
  if (GetParam().in_details) unfinished.push_back(UnfinishedLine(6, "la conversión no terminó esta tabla"));
  for (size_t i = GetParam().first_not_begun; i < ConvertedTables().size(); ++i) {
    unfinished.push_back(UnfinishedLine(i, kNotYet));
  }
  unfinished.push_back(kParametersLine);
  ContinueAndExpectEverythingConverted(unfinished);

  // Both runs' lines, in code page 1252 with CR LF.
  const std::string log = ReadWholeFile(dir_ / "CopiasREC" / "ReconverPROC.log");
  const std::string start = "Comienza el proceso de reconversi\xF3n monetaria....";
  const size_t first = log.find(start);
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(log.find(start, first + 1), std::string::npos);
  EXPECT_NE(log.find("\r\n+Convirtiendo detalle documentos\r\n"), std::string::npos);
  EXPECT_NE(log.find("\r\nContin\xFA" "a la conversi\xF3n que comenz\xF3 el "), std::string::npos);
  EXPECT_EQ(log.find("\n\n"), std::string::npos);

  // Converted whole: a further run asks the question on converted data.
  screen_.Click("?BTN_EJECUTAR").Answer("Si").Answer("No");
  EjecutaProceso();
  EXPECT_THAT(screen_.messages().back().box.text, StartsWith("Los datos parecen convertidos ya"));
}

INSTANTIATE_TEST_SUITE_P(
    Points, KilledRun,
    ::testing::Values(KillPoint{"MidTable", "yield:250", true, 7},  // the 220th of DetMovML's records
                      KillPoint{"BetweenTables", "status:+Convirtiendo historico productos", false, 7},
                      KillPoint{"AtTheEndBeforeTheParameters", "message:Fin del proceso", false, 16}),
    [](const ::testing::TestParamInfo<KillPoint>& info) { return std::string(info.param.name); });

struct CommitFault {
  const char* name;
  files::test::FaultVfs::Fault fault;
  const char* logged;  // what the table's error lines say
  int record_lines;  // how many of them name a record: its text, the separator, the error
};

class FailedCommit : public ConversionSuite, public ::testing::WithParamInterface<CommitFault> {};

// The records of a write that cannot be committed are named in the log and left for the
// continued run, which converts them once.
TEST_P(FailedCommit, RecordsAreReportedAndTheContinuedRunConvertsThem) {
  files::test::FaultVfs vfs;
  vfs.Fail(catalogue::DiskName(Table::CpdocuML) + "-journal", GetParam().fault, 1);  // the run's first commit goes through
  RunConversion();
  const std::vector<std::string> lines = LinesOf("+Convirtiendo documentos");
  ASSERT_FALSE(lines.empty());
  for (const std::string& line : lines) {
    EXPECT_THAT(line, StartsWith("**** Ha ocurrido un error para documentos: "));
  }
  EXPECT_THAT(lines, Contains(HasSubstr(GetParam().logged)));
  EXPECT_THAT(lines, Contains(FullyMatches("\\*{4} Ha ocurrido un error para documentos: "
                                                     "R[0-4]\\|Error de sistema de archivos en .*"))
                         .Times(GetParam().record_lines));
  // The log on disk keeps the whole line, the file's name included.
  EXPECT_NE(ReadWholeFile(dir_ / "CopiasREC" / "ReconverPROC.log").find(catalogue::DiskName(Table::CpdocuML)),
            std::string::npos);
  const std::vector<std::string> log = Log();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2],
            "**** Quedaron sin convertir 5 registros de CpdocuML; al ejecutar el proceso otra vez se convertirán");
  EXPECT_EQ(screen_.messages().back().box.text, "Fin del proceso");
  ExpectUntouched(ConvertedTables()[5]);
  vfs.Clear();

  // The commit that would record the table's end fails too.
  ContinueAndExpectEverythingConverted({UnfinishedLine(5, "la conversión no terminó esta tabla")});
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailedCommit,
    ::testing::Values(CommitFault{"SyncErrorAtCommit", files::test::FaultVfs::Fault::kSyncError,
                                  "Se perdieron 5 escrituras aún no confirmadas: esos registros volvieron a sus "
                                  "valores anteriores", 0},
                      CommitFault{"FullDisk", files::test::FaultVfs::Fault::kFullDisk, "disk is full", 5}),
    [](const ::testing::TestParamInfo<CommitFault>& info) { return std::string(info.param.name); });

TEST_F(ConversionSuite, DamagedRecordIsOneErrorAndTheTableGoesOn) {
  Sql(Table::DetMovML, "UPDATE records SET data = substr(data, 1, length(data) - 1) WHERE id = 3");
  before_[Table::DetMovML].erase(before_[Table::DetMovML].begin() + 2);
  RunConversion();

  const uint32_t length = LayoutOf(Table::DetMovML).length;
  const std::string line = "**** Ha ocurrido un error para detalles de movimientos: El registro 3 de " +
                           catalogue::DiskName(Table::DetMovML) + " está dañado: tiene " +
                           std::to_string(length - 1) + " bytes y su estructura pide " + std::to_string(length);
  // As wide as the list takes it: a long folder name (Windows' temporary folder) cuts it.
  EXPECT_THAT(LinesOf("+Convirtiendo detalle documentos"), ::testing::ElementsAre(std::string(runtime::Left(line, 210))));
  EXPECT_THAT(Log(), Contains("**** Quedó sin convertir 1 registro de DetMovML; al ejecutar el proceso otra vez se "
                              "convertirán"));
  for (const ConvertedTable& t : ConvertedTables()) ExpectConverted(t);
}

TEST_F(ConversionSuite, TableHeldByAnotherStationIsOneLineAndTheContinuedRunConvertsIt) {
  Station station(FILES_TEST_HELPER, catalogue::DiskName(Table::Movbanco));
  ASSERT_TRUE(station.Holds());
  RunConversion();
  EXPECT_THAT(LinesOf("+Convirtiendo movimiento bancos"),
              ::testing::ElementsAre(StartsWith("**** Ha ocurrido un error movimiento bancos: El archivo " +
                                                catalogue::DiskName(Table::Movbanco) + " está tomado por otra estación")));
  EXPECT_THAT(Log(), Contains("**** Quedaron sin convertir 5 registros de Movbanco; al ejecutar el proceso otra "
                              "vez se convertirán"));
  EXPECT_EQ(Log().size(), 18u + 2u);
  ExpectUntouched(ConvertedTables()[11]);
  station.Kill();

  // "No" to continuing writes nothing.
  screen_.Click("?BTN_EJECUTAR").Answer("Si").Answer("No");
  EjecutaProceso();
  EXPECT_THAT(screen_.messages().back().box.text, StartsWith("La conversión anterior no terminó"));
  EXPECT_THAT(Log(), ::testing::IsEmpty());
  ExpectUntouched(ConvertedTables()[11]);

  ContinueAndExpectEverythingConverted({UnfinishedLine(11, kNotYet)});
}

// A table file that the run cannot write, or must not trust, at the table's start.
struct StartFault {
  const char* name;
  // Run in the child's file system layer: the fault's kind, the end of the path it
  // strikes, and which call (0: every one).
  std::vector<std::string> child_fault;
  bool held;  // by a station in a write that keeps readers out, during the run
  enum Damage { kNone, kHeaderWriteVersion, kRowMissingFromIndex } damage;
  std::string cause;  // the error line after the table's prefix; PATH stands for the file
  std::string left;   // the table's line before the end line
};

class UnwritableAtStart : public ConversionSuite, public ::testing::WithParamInterface<StartFault> {
 protected:
  // The record 3 left out of the index of the run's key, so that a walk by that key would
  // never meet it: the index is built again without it and declared as it was.
  static void DropFromRunsIndex(const ConvertedTable& t) {
    const std::string index = "records_key" + std::to_string(t.key.index + 1);
    const std::string declared = "CREATE UNIQUE INDEX " + index + " ON records (key" + std::to_string(t.key.index + 1) + ")";
    Sql(t.key.table, ("DROP INDEX " + index + "; " + declared + " WHERE id <> 3; PRAGMA writable_schema = ON; " +
                      "UPDATE sqlite_master SET sql = '" + declared + "' WHERE name = '" + index + "';")
                         .c_str());
  }
  // Byte 18 of the header, the format version a writer must know.
  static void SetWriteVersion(Table table, char version) {
    std::fstream file(catalogue::DiskName(table), std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(18);
    file.put(version);
  }
  // The run's log file as lines of text.
  std::vector<std::string> LogFileLines() {
    const std::string log = runtime::Cp1252ToUtf8(ReadWholeFile(dir_ / "CopiasREC" / "ReconverPROC.log"));
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
      lines.push_back(log.substr(start, end - start));
    }
    return lines;
  }
};

// The run in a child process (under the sanitizer build, any fault of memory ends it with
// a report and a failing exit code): the table gets one line naming its file and the cause,
// nothing is written into it, the other tables convert, and once the cause is gone the
// continued run converts the rest exactly once.
TEST_P(UnwritableAtStart, OneLineAndTheContinuedRunConvertsTheRest) {
  const StartFault& fault = GetParam();
  const ConvertedTable& t = ConvertedTables()[11];
  ASSERT_EQ(t.key.table, Table::Movbanco);
  const std::string path = catalogue::DiskName(t.key.table);
  if (fault.damage == StartFault::kHeaderWriteVersion) SetWriteVersion(t.key.table, 3);
  if (fault.damage == StartFault::kRowMissingFromIndex) DropFromRunsIndex(t);
  std::optional<Station> station;
  if (fault.held) {
    station.emplace(FILES_TEST_HELPER, path, Station::Hold::kExclusive);
    ASSERT_TRUE(station->Holds());
  }
  std::vector<std::string> args{"run", dir_.string(), "end"};
  args.insert(args.end(), fault.child_fault.begin(), fault.child_fault.end());
  for (std::string& arg : args) {
    if (arg.starts_with("PATH")) arg = path + arg.substr(4);
  }
  Child run(args);
  ASSERT_EQ(run.Wait(), 0);
  if (station) station->Kill();

  std::string cause = fault.cause;
  cause.replace(cause.find("PATH"), 4, path);
  const std::vector<std::string> log = LogFileLines();
  const auto header = std::find(log.begin(), log.end(), t.header);
  ASSERT_LT(header + 2, log.end());
  EXPECT_EQ(header[1], t.error_prefix + cause);
  EXPECT_EQ(header[2], ConvertedTables()[12].header);
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], fault.left);
  EXPECT_THAT(log.back(), StartsWith("*** Fin del Procesamiento "));

  if (fault.damage == StartFault::kHeaderWriteVersion) SetWriteVersion(t.key.table, 1);
  if (fault.damage == StartFault::kRowMissingFromIndex) Sql(t.key.table, "REINDEX");
  ExpectUntouched(t);
  ContinueAndExpectEverythingConverted({UnfinishedLine(11, kNotYet)});
}

INSTANTIATE_TEST_SUITE_P(
    Faults, UnwritableAtStart,
    ::testing::Values(
        StartFault{"FullDisk", {"full-disk", "PATH-journal", "0"}, false, StartFault::kNone,
                   "No queda espacio en el disco del archivo PATH (database or disk is full)",
                   "**** Quedaron sin convertir 5 registros de Movbanco; al ejecutar el proceso otra vez se convertirán"},
        StartFault{"ReadOnlyFile", {"read-only", "PATH", "0"}, false, StartFault::kNone,
                   "El sistema solo permite leer el archivo PATH; no puede escribirse en él",
                   "**** Quedaron sin convertir 5 registros de Movbanco; al ejecutar el proceso otra vez se convertirán"},
        StartFault{"HeaderRefusesWriters", {}, false, StartFault::kHeaderWriteVersion,
                   "El archivo PATH no admite escritura: su cabecera declara una versión de formato más nueva, con la "
                   "que solo puede leerse",
                   "**** Quedaron sin convertir 5 registros de Movbanco; al ejecutar el proceso otra vez se convertirán"},
        StartFault{"RowMissingFromIndex", {}, false, StartFault::kRowMissingFromIndex,
                   "El archivo PATH está dañado: no pasó la comprobación de integridad (el índice records_key1 "
                   "tiene 4 entradas y la tabla 5 registros)",
                   "**** Quedaron sin convertir registros de Movbanco, que no pudieron contarse; repare el archivo y "
                   "ejecute el proceso otra vez"},
        StartFault{"HeldWithReadersKeptOut", {}, true, StartFault::kNone,
                   "El archivo PATH está tomado por otra estación, que lo mantiene en una escritura",
                   "**** Quedaron sin convertir registros de Movbanco, que no pudieron contarse; al ejecutar el "
                   "proceso otra vez se convertirán"}),
    [](const ::testing::TestParamInfo<StartFault>& info) { return std::string(info.param.name); });

enum class ParametersFault { kMissingRecord, kRefusedWrite, kFailedCommit };

class FailedParameters : public ConversionSuite, public ::testing::WithParamInterface<ParametersFault> {};

// Whatever keeps the parameters record from being written is shown, and nothing of it
// is left half written.
TEST_P(FailedParameters, UpdateFailureIsShownInTheStatusLine) {
  std::optional<files::test::FaultVfs> vfs;
  catalogue::RelationManagerOf(Table::ParameML)->Close();
  const std::vector<uint8_t> parameters = Read(catalogue::PAR::KEYPAR01).at(0);
  std::string text = "File System Error";
  switch (GetParam()) {
    case ParametersFault::kMissingRecord:
      Write(Table::ParameML, {});
      text = "Record Not Found";
      break;
    case ParametersFault::kRefusedWrite:
      Sql(Table::ParameML, "CREATE TRIGGER refuse BEFORE UPDATE ON records BEGIN SELECT RAISE(ABORT, 'no'); END;");
      break;
    case ParametersFault::kFailedCommit:
      vfs.emplace();
      vfs->Fail(catalogue::DiskName(Table::ParameML) + "-journal", files::test::FaultVfs::Fault::kSyncError);
      break;
  }
  ASSERT_EQ(catalogue::RelationManagerOf(Table::ParameML)->Open(), 0);
  RunConversion();
  EXPECT_EQ(Status(), "Ha ocurrido un error actualizando PARAMEML -->" + text);
  catalogue::RelationManagerOf(Table::ParameML)->Close();
  const std::vector<std::vector<uint8_t>> after = Read(catalogue::PAR::KEYPAR01);
  if (GetParam() != ParametersFault::kMissingRecord) {
    EXPECT_EQ(after.at(0), parameters);
  }
  ASSERT_EQ(catalogue::RelationManagerOf(Table::ParameML)->Open(), 0);
}

INSTANTIATE_TEST_SUITE_P(Faults, FailedParameters,
                         ::testing::Values(ParametersFault::kMissingRecord, ParametersFault::kRefusedWrite,
                                           ParametersFault::kFailedCommit));

// The whole program in a demo suite holding the sixteen tables: a person logs in, opens the
// conversion window and runs it.
class LoginSession : public ConversionSuite {
 protected:
  void SetUp() override {
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
  }
};

TEST_F(LoginSession, APersonLogsInAndRunsTheConversionThroughTheWindows) {
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

// The demo suite as tools/make_demo_suite lays it out: records in each of the sixteen
// tables, with negative, small and large amounts, which a run converts without an error.
TEST_F(LoginSession, DemoSuiteHoldsAmountsToConvertInEveryTable) {
  tools::DemoSuite demo = tools::StandardDemo(dir_.string());
  demo.records_per_table = tools::kDemoRecordsPerTable;
  ASSERT_EQ(tools::WriteDemoSuite(demo), "");
  bool negative = false, small = false, large = false;
  for (const ConvertedTable& t : ConvertedTables()) {
    const std::vector<std::vector<uint8_t>> records = Read(t.key);
    EXPECT_EQ(records.size(), size_t{tools::kDemoRecordsPerTable}) << catalogue::Def(t.key.table).label;
    for (const std::vector<uint8_t>& record : records) {
      for (const catalogue::FieldRef& f : t.amounts) {
        const Decimal amount = Parse(AmountText(record.data(), f).c_str());
        negative = negative || amount < Decimal();
        small = small || (Decimal() < amount && amount < Decimal::FromInt(1000));
        large = large || Decimal::FromInt(1000000) < amount;
      }
    }
  }
  EXPECT_TRUE(negative && small && large);

  screen_.Type("?GLO:CODUSER", "DEMO").Tab().Type("?LOC:CLAVE", "demo123").Tab().Click("?BTN_INICIAR");
  screen_.Click("?BTN_PROCESO").Click("?BTN_EJECUTAR").Answer("Si").Answer("Aceptar").CloseBox();
  screen_.Click("?SALIR").Answer("Si");
  EXPECT_EQ(RunProgram(&Main), 0);
  EXPECT_THAT(Log(), ::testing::ElementsAreArray(CleanLog({})));
}

// The whole program in a child process (under the sanitizer build, any fault of memory ends
// it with a report and a failing exit code): a write of the run to the table's file or its
// journal fails with an I/O error, then the conversion window is closed and the program left
// through its exit question.
class FailedWriteThenExit : public LoginSession, public ::testing::WithParamInterface<const char*> {};

TEST_P(FailedWriteThenExit, TheProgramEndsWhole) {
  Grow(Table::DetMovML, 2000);  // its writes span many commits
  Child program({"program", dir_.string(), "write-error", GetParam(), "50"});
  EXPECT_EQ(program.Wait(), 0);
  const std::string log = ReadWholeFile(dir_ / "Dinarvex" / "CopiasREC" / "ReconverPROC.log");
  EXPECT_NE(log.find("\r\n**** Ha ocurrido un error para detalles de movimientos: "), std::string::npos);
  EXPECT_NE(log.find("\r\n*** Fin del Procesamiento "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Files, FailedWriteThenExit, ::testing::Values("DCDETALL.VQF", "DCDETALL.VQF-journal"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param).ends_with("journal") ? "Journal" : "File";
                         });

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

TEST(ConversionTables, ListSixteenTablesWith126Amounts) {
  size_t amounts = 0;
  for (const ConvertedTable& t : ConvertedTables()) amounts += t.amounts.size();
  EXPECT_EQ(ConvertedTables().size(), 16u);
  EXPECT_EQ(amounts, 126u);
}

}  // namespace
}  // namespace app
