#include "app/conversion_tables.h"

#include <cstdint>
#include <cstring>
#include <optional>

#include "catalogue/generated/fields.h"
#include "platform/runtime/decimal.h"
#include "platform/runtime/picture.h"
#include "platform/runtime/text.h"

namespace app {
namespace {

using namespace catalogue;

std::string Text(const uint8_t* record, const FieldRef& f) {
  return runtime::ReadCStringField(record + f.offset, f.size);
}
std::string Clipped(const uint8_t* record, const FieldRef& f) {
  return std::string(runtime::Clip(Text(record, f)));
}
int64_t Integer(const uint8_t* record, const FieldRef& f) {
  if (f.type == files::FieldType::Byte) return record[f.offset];
  int32_t value;
  std::memcpy(&value, record + f.offset, sizeof value);
  return value;
}
std::string Number(const uint8_t* record, const FieldRef& f) { return std::to_string(Integer(record, f)); }
// An amount as the text of its real value, as the progress lines of the histories show it.
std::string Real(const uint8_t* record, const FieldRef& f) {
  const std::optional<double> value =
      runtime::LoadDecimalFieldAsDouble(record + f.offset, f.digits, f.places);
  return runtime::RealToText(value.value_or(0));
}
std::string None(const uint8_t*) { return ""; }

constexpr FieldRef kBancosAmounts[] = {BAN::SALANTCON, BAN::SALACTLIB, BAN::SALDISPO, BAN::DEBDIF, BAN::CREDIF, BAN::SALDOEDO, BAN::MONTOIDB};
constexpr FieldRef kCajaDAmounts[] = {CAM1::MONTOCOBRADO};
constexpr FieldRef kCajaHAmounts[] = {CAH::MONTOEFE};
constexpr FieldRef kCajaMAmounts[] = {CAM::MONTOCOBRADO};
constexpr FieldRef kConbancoAmounts[] = {CON::DEBITOS, CON::CREDITOS};
constexpr FieldRef kCpdocuMLAmounts[] = {CPD::MONTOBRU, CPD::MONTODES, CPD::MONTOSUB, CPD::MONTOIMP, CPD::MONTOPAG, CPD::MONTOTOT, CPD::MONTOSAL, CPD::MONTOEFE, CPD::MONTOCHE, CPD::MONTOTAR, CPD::MONTOPAGF, CPD::MONTOCOS, CPD::CAMBIO, CPD::MONTORET, CPD::MONTOPA, CPD::COMISVEN, CPD::COMISCOB, CPD::MONTODESCUENTO, CPD::MONTOMANEJO, CPD::MONTOINTERES, CPD::MONTOGIROS, CPD::TOTALEXENTAS, CPD::BASEIMPONIBLE, CPD::BASEIMPONIBLEIVA, CPD::MONTORETIMP, CPD::MONTOINSTRU1, CPD::MONTOINSTRU2, CPD::MONTOIMP2, CPD::MONTOIMP3, CPD::MONTOFLETE, CPD::MONTOAPAGARPAC, CPD::MONTONCTRANSITO};
constexpr FieldRef kDetMovMLAmounts[] = {DET::PRECOSUNI, DET::COSTOACT, DET::COSTOPRO, DET::MONTOIMP, DET::TOTAL, DET::PRECIO1, DET::PRECIO2, DET::PRECIO3, DET::MONTOCOS, DET::COMISVEN, DET::COMISCOB, DET::MONTODESCUENTO, DET::MONTOCOMISION, DET::MONTOIMP2, DET::MONTOIMP3, DET::MONTORETTAR};
constexpr FieldRef kHisProAmounts[] = {HPR::MONTOINVINICIAL, HPR::MONTOCOMPRA, HPR::MONTOVENTA, HPR::MONTODEVCOMPRA, HPR::MONTODEVVENTA, HPR::MONTOCARGOS, HPR::MONTODESCARGOS, HPR::MONTOAJUSTESP, HPR::MONTOAJUSTESN, HPR::MONTONECOMPRA, HPR::MONTONEDEVCOMPRA, HPR::MONTONEVENTA, HPR::MONTONEDEVVENTA};
constexpr FieldRef kHisProCLiAmounts[] = {HPC::CONTADO, HPC::CREDITO, HPC::IMPUESTO, HPC::COBPAG, HPC::DESCUENTOS, HPC::DEVOLUCIONES, HPC::COSTOSMERCANCIA, HPC::COSTOSMERCANCIADEV};
constexpr FieldRef kHisResumenAmounts[] = {HRE::CONTADO, HRE::CREDITO, HRE::IMPUESTO, HRE::COBPAG, HRE::DESCUENTOS, HRE::DEVOLUCIONES, HRE::COSTOSMERCANCIA, HRE::COSTOSMERCANCIADEV};
constexpr FieldRef kInventMLAmounts[] = {INV::COSTOACT, INV::COSTOPRO, INV::PRECIO1, INV::PRECIO2, INV::PRECIO3, INV::COSTOANT, INV::MONTOCOMISION, INV::COSTOPROANT, INV::MONTOCOM1, INV::MONTOCOM2, INV::MONTOCOM3};
constexpr FieldRef kMovbancoAmounts[] = {MOV::DEBITOS, MOV::CREDITOS, MOV::MONEFE, MOV::MONCHE, MOV::MONTAR, MOV::MONTOIDB};
constexpr FieldRef kProCliMLAmounts[] = {PRO::MONTODEB, PRO::MONTOCRE, PRO::LIMITECRE, PRO::ANTICIPOS};
constexpr FieldRef kProProAmounts[] = {RPP::PRECOSUNI};
constexpr FieldRef kSaldoBancosAmounts[] = {SAB::SALDOCONANT, SAB::DEPOCON, SAB::NCCON, SAB::CHCON, SAB::NDCON, SAB::SALDOCONACT, SAB::SALDOEDOCTA, SAB::DEPOTRA, SAB::NCTRA, SAB::CHTRA, SAB::NDTRA, SAB::SALLIBROACT, SAB::IDBCON, SAB::IDBTRA};
constexpr FieldRef kServidoresAmounts[] = {SVD::MONTOCOMISION};

// PRO:TIPREG 0 is a client, 1 a supplier; any other value shows a blank.
std::string ClientOrSupplier(const uint8_t* r) {
  const uint8_t kind = r[PRO::TIPREG.offset];
  return kind == 0 ? "C" : kind == 1 ? "P" : " ";
}

constexpr ConvertedTable kTables[] = {
    {BAN::KEYBAN01, "+Convirtiendo Bancos", false, kBancosAmounts,
     [](const uint8_t* r) { return Text(r, BAN::NOMBRE); },
     "**** Ha ocurrido un error para banco:", [](const uint8_t* r) { return Clipped(r, BAN::NOMBRE); }, " |", "bancos"},
    {CAM1::KEYCAJD01, "+Convirtiendo Movimiento Caja", true, kCajaDAmounts,
     [](const uint8_t* r) { return Text(r, CAM1::CODCAJA) + " " + Text(r, CAM1::NUMREF); },
     "**** Ha ocurrido un error para detalles de Caja:", [](const uint8_t* r) { return Text(r, CAM1::CODCAJA); }, " |", "detalles de caja"},
    {CAH::KEYCAJ01, "+Convirtiendo Cabecera Caja", true, kCajaHAmounts,
     [](const uint8_t* r) { return Text(r, CAH::CODCAJA); },
     "**** Ha ocurrido un error para cabeceras de Caja:", [](const uint8_t* r) { return Text(r, CAH::CODCAJA); }, " |", "cabeceras de caja"},
    {CAM::KEYCAJM01, "+Convirtiendo movimientos Caja", true, kCajaMAmounts,
     [](const uint8_t* r) { return Text(r, CAM::CODCAJA) + " " + Text(r, CAM::NUMREF); },
     "**** Ha ocurrido un error para movimientos de Caja: ", [](const uint8_t* r) { return Text(r, CAM::CODCAJA); }, " |", "movimientos de caja"},
    {CON::KEYCON01, "+Convirtiendo contabilidad banco", true, kConbancoAmounts,
     [](const uint8_t* r) { return Text(r, CON::DESCRIP1); },
     "**** Ha ocurrido un error para contabilidad bancos: ", [](const uint8_t* r) { return Clipped(r, CON::DESCRIP1); }, "|", "contabilidad de bancos"},
    {CPD::KEYCPD01, "+Convirtiendo documentos", true, kCpdocuMLAmounts,
     [](const uint8_t* r) { return Text(r, CPD::DESCRIP1); },
     "**** Ha ocurrido un error para documentos: ", [](const uint8_t* r) { return Text(r, CPD::CONTROL); }, "|", "documentos"},
    {DET::KEYDET01, "+Convirtiendo detalle documentos", true, kDetMovMLAmounts,
     [](const uint8_t* r) { return Text(r, DET::DESCRIP1); },
     "**** Ha ocurrido un error para detalles de movimientos: ", [](const uint8_t* r) { return Clipped(r, DET::DESCRIP1); }, "|", "detalles de documentos"},
    {HPR::KEYHPR01, "+Convirtiendo historico productos", true, kHisProAmounts,
     [](const uint8_t* r) { return Number(r, HPR::ANIOH) + " " + Number(r, HPR::MESH) + " " + Text(r, HPR::CODPRO); },
     "**** Ha ocurrido un error para histórico de productos: ", [](const uint8_t* r) { return Clipped(r, HPR::CODPRO); }, "|", "histórico de productos"},
    {HPC::KEYHPC01, "+Convirtiendo historico clientes", true, kHisProCLiAmounts,
     [](const uint8_t* r) { return Number(r, HPC::ANIOH) + " " + Number(r, HPC::MESH) + " " + Real(r, HPC::CONTADO); },
     "**** Ha ocurrido un error para estadísticas de clientes: ", [](const uint8_t* r) { return Clipped(r, HPC::CODIGO); }, " ", "histórico de clientes"},
    {HRE::KEYRHPC01, "+Convirtiendo historico resumen", true, kHisResumenAmounts,
     [](const uint8_t* r) { return Number(r, HRE::ANIOH) + " " + Number(r, HRE::MESH) + " " + Real(r, HRE::CONTADO); },
     "**** Ha ocurrido un error para histórico resumen: ", None, "|", "histórico resumen"},
    {INV::KEYINV01, "+Convirtiendo inventario", true, kInventMLAmounts,
     [](const uint8_t* r) { return Text(r, INV::DESCRIP1); },
     "**** Ha ocurrido un error convirtiendo inventario: ", [](const uint8_t* r) { return Clipped(r, INV::DESCRIP1); }, "|", "inventario"},
    {MOV::KEYMOV01, "+Convirtiendo movimiento bancos", true, kMovbancoAmounts,
     [](const uint8_t* r) { return Text(r, MOV::TIPOREF) + " " + Text(r, MOV::REFEREN); },
     "**** Ha ocurrido un error movimiento bancos: ", [](const uint8_t* r) { return Clipped(r, MOV::REFEREN); }, "|", "movimientos de bancos"},
    {PRO::KEYPRO03, "+Convirtiendo clientes y proveedores", true, kProCliMLAmounts,
     [](const uint8_t* r) { return Text(r, PRO::CODIGO) + " " + ClientOrSupplier(r) + " " + Text(r, PRO::NOMBRE); },
     "**** Ha ocurrido un error en clientes y proveedores: ", [](const uint8_t* r) { return Clipped(r, PRO::NOMBRE); }, "|", "clientes y proveedores"},
    {RPP::KEYRPP01, "+Convirtiendo componentes", true, kProProAmounts,
     [](const uint8_t* r) { return Text(r, RPP::CODPRO) + " " + Text(r, RPP::CODPROPRO); },
     "**** Ha ocurrido un error en componentes: ", [](const uint8_t* r) { return Clipped(r, RPP::CODPROPRO); }, "|", "componentes"},
    {SAB::KEYSAB01, "+Convirtiendo saldos bancos", true, kSaldoBancosAmounts,
     [](const uint8_t* r) {
       return Text(r, SAB::CODIGO) + " " + runtime::FormatDate(static_cast<int32_t>(Integer(r, SAB::FECHACON)), "d06");
     },
     "**** Ha ocurrido un error en saldos bancos: ", [](const uint8_t* r) { return Clipped(r, SAB::CODIGO); }, "|", "saldos de bancos"},
    {SVD::KEYSVD01, "+Convirtiendo servidores", true, kServidoresAmounts,
     [](const uint8_t* r) { return Text(r, SVD::NOMBRE); },
     "**** Ha ocurrido un error en servidores: ", [](const uint8_t* r) { return Clipped(r, SVD::NOMBRE); }, "|", "servidores"},
};

}  // namespace

std::span<const ConvertedTable> ConvertedTables() { return kTables; }

}  // namespace app
