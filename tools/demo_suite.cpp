#include "tools/demo_suite.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/conversion_tables.h"
#include "app/login_rights.h"
#include "catalogue/catalogue.h"
#include "catalogue/disk_names.h"
#include "catalogue/generated/fields.h"
#include "catalogue/modules.h"
#include "catalogue/record.h"
#include "catalogue/table_managers.h"
#include "platform/files/errors.h"
#include "platform/library/error_manager.h"
#include "platform/library/field_value.h"
#include "platform/runtime/decimal.h"

namespace tools {
namespace {

namespace fs = std::filesystem;
using catalogue::Table;

// Creates the table's file at `path` and adds one record for each call of `fill`; a
// record whose unique key an earlier one holds is left out.
template <class Fill>
std::string WriteTable(Table table, const fs::path& path, int records, Fill fill) {
  files::KeyedFile& file = *catalogue::FileOf(table);
  if (file.Create(path.string()) != 0 || file.Open(path.string()) != 0) return file.Detail();
  for (int i = 0; i < records; ++i) {
    catalogue::FileManagerOf(table)->PrimeRecord();
    fill(i);
    if (file.Add() != 0 && file.Code() != files::kDuplicateKey) return file.Detail();
  }
  if (file.Close() != 0) return file.Detail();
  return "";
}

// Old amounts, in turn: negative, under 1000 (they become 0.01), and large. A field too
// small for one takes the next that fits.
constexpr const char* kDemoAmounts[] = {"-1500.00",  "-250.75",      "0.00",        "0.50",     "999.99",
                                        "1000.00",   "1500.00",      "234500.00",   "150000.00", "7654321.89",
                                        "12345678.90", "876543210.00", "-98765432.10"};

void StoreDemoAmount(uint8_t* record, const catalogue::FieldRef& f, int turn) {
  for (size_t k = 0; k < std::size(kDemoAmounts); ++k) {
    const char* amount = kDemoAmounts[(turn + k) % std::size(kDemoAmounts)];
    if (runtime::StoreDecimalField(record + f.offset, f.digits, f.places, *runtime::Decimal::Parse(amount))) return;
  }
}

// Record i of a converted table: every number i + 1, every text "Demostración" and the
// number (only the number's last digits where the field is short), the amounts in turn.
void FillDemoRecord(const app::ConvertedTable& t, int i, uint8_t* record) {
  const std::string number = std::to_string(100000 + i + 1).substr(1);
  for (const files::FieldDecl& f : catalogue::Def(t.key.table).layout.fields) {
    switch (f.type) {
      case files::FieldType::Long:
      case files::FieldType::Short: library::SetFieldNumber(f, record, (i % 30000) + 1); break;
      case files::FieldType::CString:
      case files::FieldType::String: {
        const size_t room = f.type == files::FieldType::CString ? f.size - 1 : f.size;
        const std::string text = "Demostración " + number;
        const std::string last_digits = number.substr(number.size() - std::min(room, number.size()));
        library::SetFieldText(f, record, text.size() <= room ? text : last_digits);
        break;
      }
      default: break;
    }
  }
  for (size_t k = 0; k < t.amounts.size(); ++k) StoreDemoAmount(record, t.amounts[k], i + static_cast<int>(k));
}

// The table's file name in the administrative area.
const char* DiskFileOf(Table table) {
  for (const catalogue::DiskFile& disk : catalogue::DiskFiles()) {
    if (disk.table == table) return disk.file;
  }
  return nullptr;
}

}  // namespace

DemoSuite StandardDemo(std::string folder) {
  return {.folder = std::move(folder),
          .users = {{"DEMO", "demo123", "Usuario de demostración", true},
                    {"CONSULTA", "consulta", "Usuario sin todos los permisos", false}},
          .parameters_record = true,
          .company = "Comercial Ejemplo, C.A."};
}

std::string WriteDemoSuite(const DemoSuite& suite) {
  const fs::path root = fs::absolute(suite.folder);
  const fs::path admin = root / "Dadm", accounting = root / "DCon01", payroll = root / "DNom";
  for (const fs::path& folder : {admin, accounting, payroll, root / "Dinarvex"}) {
    fs::create_directories(folder);
  }
  // "Rutadatos" as the suite writes it: the backup scripts match the key case-sensitively.
  std::ofstream(root / "Sorvane.ini", std::ios::binary)
      << "[Sistemas]\r\nRutadatos=" << admin.string() << "\r\nRutaDatosNomina="
      << payroll.string() << "\r\nRutaDatosContabilidad=" << accounting.string() << "\r\n";

  library::ErrorManager errors;
  catalogue::CatalogInit(errors);
  std::string error;
  if (!suite.users.empty()) {
    error = WriteTable(Table::SecUsuML, admin / "CFUSUARI.VQF",
                       static_cast<int>(suite.users.size()), [&](int i) {
                         const DemoUser& user = suite.users[i];
                         catalogue::SetText(catalogue::SEC::CODUSER, user.code);
                         catalogue::SetText(catalogue::SEC::CLAVE, user.password);
                         catalogue::SetText(catalogue::SEC::DESCRIP, user.name);
                         for (const catalogue::FieldRef& right : app::kLoginRights) {
                           catalogue::SetText(right, "1");
                         }
                         if (!user.all_rights) catalogue::SetText(app::kLoginRights[7], "0");
                       });
  }
  if (error.empty()) {
    error = WriteTable(Table::ParameML, admin / "CFPARAME.VQF", suite.parameters_record ? 1 : 0,
                       [&](int) {
                         catalogue::SetText(catalogue::PAR::CONTROL, "1");
                         catalogue::SetText(catalogue::PAR::NOMBRE, suite.company);
                       });
  }
  for (const app::ConvertedTable& t : app::ConvertedTables()) {
    if (!error.empty() || suite.records_per_table == 0) break;
    uint8_t* record = catalogue::RecordOf(t.key.table);
    error = WriteTable(t.key.table, admin / DiskFileOf(t.key.table), suite.records_per_table,
                       [&](int i) { FillDemoRecord(t, i, record); });
  }
  catalogue::CatalogKill();
  return error;
}

}  // namespace tools
