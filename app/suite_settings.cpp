#include "app/suite_settings.h"

#include <string_view>

#include "app/globals.h"
#include "platform/runtime/decimal.h"
#include "platform/runtime/ini.h"

namespace app {
namespace {

// A number setting as a BYTE: the whole part of a number from 0 to 255; a blank, a text
// that is no number, or a number out of that range gives 0.
uint8_t ToByte(std::string_view text) {
  const std::optional<runtime::Decimal> number = runtime::Decimal::Parse(text);
  if (!number || *number < runtime::Decimal() || *number >= runtime::Decimal::FromInt(256)) return 0;
  return static_cast<uint8_t>(std::stoi(number->Truncate(0).ToText()));
}

struct SuiteKey {
  const char* key;
  void (*store)(std::string_view value);
  bool area_path;  // read only with the area-paths switch on
};

constexpr SuiteKey kSuiteKeys[] = {
    {"RutaDatos", [](std::string_view v) { GLO::RUTADATOS = v; }, false},
    {"Copias", [](std::string_view v) { GLO::COPIAS = ToByte(v); }, false},
    {"tipofactura", [](std::string_view v) { GLO::TIPOFACTURA = v; }, false},
    {"Reportes", [](std::string_view v) { GLO::REPORTES = v; }, false},
    {"Fotos", [](std::string_view v) { GLO::FOTOS = v; }, false},
    {"chequefactura", [](std::string_view v) { GLO::CHEQUEFACTURA = ToByte(v); }, false},
    {"RutaTransfer", [](std::string_view v) { GLO::RUTATRANSFER = v; }, false},
    {"RutaDatosNomina", [](std::string_view v) { GLO::RUTADATOSNOMINA = v; }, true},
    {"RutaDatosContabilidad", [](std::string_view v) { GLO::RUTADATOSCONTABILIDAD = v; }, true},
    {"Estacion", [](std::string_view v) { GLO::ESTACION = v; }, false},
    {"usacaja", [](std::string_view v) { GLO::USACAJA = ToByte(v); }, false},
};

}  // namespace

void ReadSuiteSettings(const std::string& settings_file) {
  for (const SuiteKey& key : kSuiteKeys) {
    if (key.area_path && DCT::USAAREAS != 1) continue;
    key.store(runtime::GetIni("Sistemas", key.key, " ", settings_file));
  }
}

}  // namespace app
