#include "app/globals.h"

namespace app {

namespace GLO {
constinit runtime::Decimal FACTORC = runtime::Decimal::FromInt(100000);
CStringVar<125> RUTAPROG;
CStringVar<200> RUTAPROGLONG;
CStringVar<20> CODUSER;
CStringVar<125> RUTADATOS;
CStringVar<125> RUTADATOSNOMINA;
CStringVar<126> RUTADATOSCONTABILIDAD;
uint8_t COPIAS = 0;
StringVar<20> TIPOFACTURA;
CStringVar<125> REPORTES;
CStringVar<81> FOTOS;
uint8_t CHEQUEFACTURA = 0;
CStringVar<255> RUTATRANSFER;
CStringVar<7> ESTACION;
uint8_t USACAJA = 0;
}  // namespace GLO

std::optional<library::FuzzyMatcher> FuzzyMatcherGlobal;
std::optional<library::ErrorManager> ErrorManagerGlobal;
std::optional<library::IniStore> IniStoreGlobal;

void InitGlobals() {
  GLO::FACTORC = runtime::Decimal::FromInt(100000);
  GLO::RUTAPROG = "";
  GLO::RUTAPROGLONG = "";
  GLO::CODUSER = "";
  GLO::RUTADATOS = "";
  GLO::RUTADATOSNOMINA = "";
  GLO::RUTADATOSCONTABILIDAD = "";
  GLO::COPIAS = 0;
  GLO::TIPOFACTURA = "";
  GLO::REPORTES = "";
  GLO::FOTOS = "";
  GLO::CHEQUEFACTURA = 0;
  GLO::RUTATRANSFER = "";
  GLO::ESTACION = "";
  GLO::USACAJA = 0;
}

}  // namespace app
