#include "tools/demo_suite.h"

#include <filesystem>
#include <fstream>

#include "app/login_rights.h"
#include "catalogue/catalogue.h"
#include "catalogue/generated/fields.h"
#include "catalogue/record.h"
#include "catalogue/table_managers.h"
#include "platform/library/error_manager.h"

namespace tools {
namespace {

namespace fs = std::filesystem;
using catalogue::Table;

// Creates the table's file at `path` and adds one record for each call of `fill`.
template <class Fill>
std::string WriteTable(Table table, const fs::path& path, int records, Fill fill) {
  files::KeyedFile& file = *catalogue::FileOf(table);
  if (file.Create(path.string()) != 0 || file.Open(path.string()) != 0) return file.Detail();
  for (int i = 0; i < records; ++i) {
    catalogue::FileManagerOf(table)->PrimeRecord();
    fill(i);
    if (file.Add() != 0) return file.Detail();
  }
  file.Close();
  return "";
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
  if (error.empty() && suite.products > 0) {
    error = WriteTable(Table::InventML, admin / "IVPROSER.VQF", suite.products, [](int i) {
      const std::string number = std::to_string(1000000 + i).substr(1);
      catalogue::SetText(catalogue::INV::CODPRO, "P" + number);
      catalogue::SetText(catalogue::INV::DESCRIP1, "Producto de demostración " + number);
      catalogue::SetText(catalogue::INV::COSTOACT, std::to_string(100000 + i) + ".00");
      catalogue::SetText(catalogue::INV::PRECIO1, std::to_string(150000 + i) + ".00");
    });
  }
  catalogue::CatalogKill();
  return error;
}

}  // namespace tools
