#include "app/suite_settings.h"

#include <string_view>

#include "app/globals.h"
#include "platform/runtime/decimal.h"
#include "platform/runtime/ini.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/text.h"

namespace app {
namespace {

// A number setting as a BYTE: the whole part of a number from 0 to 255; a blank, a text
// that is no number, or a number out of that range gives 0.
uint8_t ToByte(std::string_view text) {
  const std::optional<runtime::Decimal> number = runtime::Decimal::Parse(text);
  if (!number || *number < runtime::Decimal() || *number >= runtime::Decimal::FromInt(256)) return 0;
  return static_cast<uint8_t>(std::stoi(number->Truncate(0).ToText()));
}

// The characters of the five bytes code page 1252 leaves undefined, as the reader decodes
// them: no file system folder is named with them.
bool HoldsUndefinedByte(std::string_view value) {
  for (const char* undefined : {"\u0081", "\u008D", "\u008F", "\u0090", "\u009D"}) {
    if (value.find(undefined) != std::string_view::npos) return true;
  }
  return false;
}

// A data path as the scripts use it too (docs/suite-settings.md): a relative one counts
// from the data root, the folder of the settings file. Refused, never cut, when it does not
// fit its global. Returns the refusal, empty when stored.
template <size_t N>
std::string StoreDataPath(std::string_view key, std::string_view value, CStringVar<N>& global) {
  const std::string_view clipped = runtime::Clip(value);
  if (HoldsUndefinedByte(clipped)) {
    return "La ruta " + std::string(key) + " de " + kSuiteSettingsFile +
           " tiene un carácter que la página de códigos 1252 no define: " + std::string(clipped);
  }
  const std::string path = !clipped.empty() && runtime::IsRelativePath(clipped)
                               ? runtime::JoinPath(GLO::RUTAPROG.value(), clipped)
                               : std::string(value);
  if (!CStringVar<N>::Fits(path)) {
    return TooLongText("La ruta " + std::string(key) + " de " + kSuiteSettingsFile, path,
                       CStringVar<N>::kMaxChars);
  }
  global = path;
  return {};
}

struct SuiteKey {
  const char* key;
  // Stores the value; returns why it was refused, empty when stored.
  std::string (*store)(std::string_view value);
  bool area_path;  // read only with the area-paths switch on
};

constexpr SuiteKey kSuiteKeys[] = {
    {"RutaDatos", [](std::string_view v) { return StoreDataPath("RutaDatos", v, GLO::RUTADATOS); }, false},
    {"Copias", [](std::string_view v) { GLO::COPIAS = ToByte(v); return std::string(); }, false},
    {"tipofactura", [](std::string_view v) { GLO::TIPOFACTURA = v; return std::string(); }, false},
    {"Reportes", [](std::string_view v) { GLO::REPORTES = v; return std::string(); }, false},
    {"Fotos", [](std::string_view v) { GLO::FOTOS = v; return std::string(); }, false},
    {"chequefactura", [](std::string_view v) { GLO::CHEQUEFACTURA = ToByte(v); return std::string(); }, false},
    {"RutaTransfer", [](std::string_view v) { GLO::RUTATRANSFER = v; return std::string(); }, false},
    {"RutaDatosNomina",
     [](std::string_view v) { return StoreDataPath("RutaDatosNomina", v, GLO::RUTADATOSNOMINA); }, true},
    {"RutaDatosContabilidad",
     [](std::string_view v) { return StoreDataPath("RutaDatosContabilidad", v, GLO::RUTADATOSCONTABILIDAD); },
     true},
    {"Estacion", [](std::string_view v) { GLO::ESTACION = v; return std::string(); }, false},
    {"usacaja", [](std::string_view v) { GLO::USACAJA = ToByte(v); return std::string(); }, false},
};

}  // namespace

std::string TooLongText(const std::string& what, std::string_view path, size_t max_chars) {
  return what + " es demasiado larga: " + std::string(path) + " (" +
         std::to_string(runtime::CharCount(path)) + " caracteres; caben " + std::to_string(max_chars) + ").";
}

std::string ReadSuiteSettings(const std::string& settings_file) {
  for (const SuiteKey& key : kSuiteKeys) {
    if (key.area_path && DCT::USAAREAS != 1) continue;
    std::string refusal = key.store(runtime::GetIni("Sistemas", key.key, " ", settings_file));
    if (!refusal.empty()) return refusal;
  }
  return {};
}

}  // namespace app
