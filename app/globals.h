// The program's global data: one copy for the process, except the window globals, which
// every thread has its own of. Strings start empty (or blank), numbers at zero, unless an
// initial value is given; MainModuleInit sets them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/library/error_manager.h"
#include "platform/library/fuzzy_matcher.h"
#include "platform/library/ini_store.h"
#include "platform/runtime/decimal.h"
#include "platform/runtime/text.h"

namespace app {

// A CSTRING(N) variable: holds at most N - 1 characters; a longer value is cut.
template <size_t N>
class CStringVar {
 public:
  CStringVar& operator=(std::string_view value) {
    value_ = runtime::FitCString(value, N);
    return *this;
  }
  const std::string& value() const { return value_; }
  operator std::string_view() const { return value_; }
  // True when `value` is held whole.
  static bool Fits(std::string_view value) { return runtime::CharCount(value) < N; }
  static constexpr size_t kMaxChars = N - 1;

 private:
  std::string value_;
};

// A STRING(N) variable: always N characters, cut or padded with blanks.
template <size_t N>
class StringVar {
 public:
  StringVar& operator=(std::string_view value) {
    value_ = runtime::FitString(value, N);
    return *this;
  }
  const std::string& value() const { return value_; }
  operator std::string_view() const { return value_; }

 private:
  std::string value_ = std::string(N, ' ');
};

namespace DCT {
inline constexpr std::string_view VERSION = "9.0.3";
// Area paths: start-up reads the payroll and accounting folders and names the tables
// that lie in them.
inline constexpr uint8_t USAAREAS = 1;
// The accounting users table lies in the accounting folder (with 0, in the data folder).
inline constexpr uint8_t USARUTACONTAB = 1;
}  // namespace DCT

namespace GLO {
// The conversion factor, a DECIMAL(9,2): every old amount is divided by it.
extern runtime::Decimal FACTORC;
extern CStringVar<125> RUTAPROG;  // the data root: the folder above the program's
extern CStringVar<200> RUTAPROGLONG;
extern CStringVar<20> CODUSER;
// From the suite's settings file.
extern CStringVar<125> RUTADATOS;
extern CStringVar<125> RUTADATOSNOMINA;
extern CStringVar<126> RUTADATOSCONTABILIDAD;
extern uint8_t COPIAS;
extern StringVar<20> TIPOFACTURA;
extern CStringVar<125> REPORTES;
extern CStringVar<81> FOTOS;
extern uint8_t CHEQUEFACTURA;
extern CStringVar<255> RUTATRANSFER;
extern CStringVar<7> ESTACION;
extern uint8_t USACAJA;
}  // namespace GLO

// Built by MainModuleInit, destroyed by MainModuleKill. Every table object and window
// reports its errors to ErrorManagerGlobal.
extern std::optional<library::FuzzyMatcher> FuzzyMatcherGlobal;
extern std::optional<library::ErrorManager> ErrorManagerGlobal;
extern std::optional<library::IniStore> IniStoreGlobal;

// Gives every process-wide global its initial value (part of MainModuleInit).
void InitGlobals();

}  // namespace app
