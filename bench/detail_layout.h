// The shape of the suite's document-detail table (1052-byte records, 12 keys), copied
// from the catalogue's declaration so that the benchmark measures a realistic file.
#pragma once

#include <cstdint>

#include "platform/files/layout.h"

namespace bench {

inline constexpr files::FieldDecl kDetailFields[] = {
    {"DET:CONTROL", files::FieldType::CString, 0, 20, 0, 0},
    {"DET:CODPRO", files::FieldType::CString, 20, 16, 0, 0},
    {"DET:CANTIDAD", files::FieldType::Decimal, 36, 9, 17, 3},
    {"DET:PRECOSUNI", files::FieldType::Decimal, 45, 9, 17, 2},
    {"DET:COSTOACT", files::FieldType::Decimal, 54, 9, 17, 2},
    {"DET:COSTOPRO", files::FieldType::Decimal, 63, 9, 17, 2},
    {"DET:IMPPOR", files::FieldType::Decimal, 72, 4, 7, 2},
    {"DET:MONTOIMP", files::FieldType::Decimal, 76, 9, 17, 2},
    {"DET:TOTAL", files::FieldType::Decimal, 85, 9, 17, 2},
    {"DET:DESCRIP1", files::FieldType::CString, 94, 61, 0, 0},
    {"DET:TIPTRAN", files::FieldType::CString, 155, 11, 0, 0},
    {"DET:FECEMIS", files::FieldType::Long, 166, 4, 0, 0},
    {"DET:FECEMISS", files::FieldType::CString, 170, 11, 0, 0},
    {"DET:PRECIO1", files::FieldType::Decimal, 181, 9, 17, 2},
    {"DET:UTILPRECIO1", files::FieldType::Decimal, 190, 4, 7, 2},
    {"DET:PRECIO2", files::FieldType::Decimal, 194, 9, 17, 2},
    {"DET:UTILPRECIO2", files::FieldType::Decimal, 203, 4, 7, 2},
    {"DET:PRECIO3", files::FieldType::Decimal, 207, 9, 17, 2},
    {"DET:UTILPRECIO3", files::FieldType::Decimal, 216, 4, 7, 2},
    {"DET:MONTOCOS", files::FieldType::Decimal, 220, 9, 17, 2},
    {"DET:TIPINV", files::FieldType::Byte, 229, 1, 0, 0},
    {"DET:FACCAM1", files::FieldType::Decimal, 230, 4, 7, 2},
    {"DET:VALFOB1", files::FieldType::Decimal, 234, 9, 17, 2},
    {"DET:COSTOFLE1", files::FieldType::Decimal, 243, 9, 17, 2},
    {"DET:COSTOSEG1", files::FieldType::Decimal, 252, 9, 17, 2},
    {"DET:VALORCIF1", files::FieldType::Decimal, 261, 9, 17, 2},
    {"DET:COSTOARA1", files::FieldType::Decimal, 270, 9, 17, 2},
    {"DET:COSTONAC1", files::FieldType::Decimal, 279, 9, 17, 2},
    {"DET:COSTOADU1", files::FieldType::Decimal, 288, 9, 17, 2},
    {"DET:PAGOCOM1", files::FieldType::Decimal, 297, 9, 17, 2},
    {"DET:GASTOADU1", files::FieldType::Decimal, 306, 9, 17, 2},
    {"DET:OTROGAS1", files::FieldType::Decimal, 315, 9, 17, 2},
    {"DET:COSTOFIN1", files::FieldType::Decimal, 324, 9, 17, 2},
    {"DET:NUMPLANILLA", files::FieldType::CString, 333, 31, 0, 0},
    {"DET:FACCAM2", files::FieldType::Decimal, 364, 4, 7, 2},
    {"DET:VALFOB2", files::FieldType::Decimal, 368, 9, 17, 2},
    {"DET:COSTOFLE2", files::FieldType::Decimal, 377, 9, 17, 2},
    {"DET:COSTOSEG2", files::FieldType::Decimal, 386, 9, 17, 2},
    {"DET:VALORCIF2", files::FieldType::Decimal, 395, 9, 17, 2},
    {"DET:COSTOARA2", files::FieldType::Decimal, 404, 9, 17, 2},
    {"DET:COSTONAC2", files::FieldType::Decimal, 413, 9, 17, 2},
    {"DET:COSTOADU2", files::FieldType::Decimal, 422, 9, 17, 2},
    {"DET:PAGOCOM2", files::FieldType::Decimal, 431, 9, 17, 2},
    {"DET:GASTOADU2", files::FieldType::Decimal, 440, 9, 17, 2},
    {"DET:OTROGAS2", files::FieldType::Decimal, 449, 9, 17, 2},
    {"DET:COSTOFIN2", files::FieldType::Decimal, 458, 9, 17, 2},
    {"DET:PRECIOE1", files::FieldType::Decimal, 467, 9, 17, 2},
    {"DET:PRECIOE2", files::FieldType::Decimal, 476, 9, 17, 2},
    {"DET:PRECIOE3", files::FieldType::Decimal, 485, 9, 17, 2},
    {"DET:TIPODET", files::FieldType::Byte, 494, 1, 0, 0},
    {"DET:TIPPRO", files::FieldType::Byte, 495, 1, 0, 0},
    {"DET:TIPREG", files::FieldType::Byte, 496, 1, 0, 0},
    {"DET:CODIGO", files::FieldType::CString, 497, 26, 0, 0},
    {"DET:COMISVEN", files::FieldType::Decimal, 523, 9, 17, 2},
    {"DET:COMISCOB", files::FieldType::Decimal, 532, 9, 17, 2},
    {"DET:COMISTIP", files::FieldType::Byte, 541, 1, 0, 0},
    {"DET:CODALREC", files::FieldType::CString, 542, 4, 0, 0},
    {"DET:CODALENT", files::FieldType::CString, 546, 4, 0, 0},
    {"DET:FECHORA", files::FieldType::String, 550, 20, 0, 0},
    {"DET:PORDES", files::FieldType::Decimal, 570, 4, 7, 2},
    {"DET:MONTODESCUENTO", files::FieldType::Decimal, 574, 9, 17, 2},
    {"DET:FHIMPORTAR", files::FieldType::CString, 583, 20, 0, 0},
    {"DET:COMPONENTE", files::FieldType::Byte, 603, 1, 0, 0},
    {"DET:FHPRODBASE", files::FieldType::CString, 604, 20, 0, 0},
    {"DET:CODSER", files::FieldType::CString, 624, 16, 0, 0},
    {"DET:PORCOMISION", files::FieldType::Decimal, 640, 3, 5, 2},
    {"DET:MONTOCOMISION", files::FieldType::Decimal, 643, 9, 17, 2},
    {"DET:DEVUELTA", files::FieldType::Byte, 652, 1, 0, 0},
    {"DET:CANTIDADDEV", files::FieldType::Decimal, 653, 9, 17, 2},
    {"DET:ORIGEN", files::FieldType::Byte, 662, 1, 0, 0},
    {"DET:PRECIO", files::FieldType::Byte, 663, 1, 0, 0},
    {"DET:FACTORCAMBIO", files::FieldType::Decimal, 664, 4, 7, 2},
    {"DET:SIGNOMONEDA", files::FieldType::CString, 668, 16, 0, 0},
    {"DET:IMPPOR2", files::FieldType::Decimal, 684, 4, 7, 2},
    {"DET:MONTOIMP2", files::FieldType::Decimal, 688, 9, 17, 2},
    {"DET:IMPPOR3", files::FieldType::Decimal, 697, 4, 7, 2},
    {"DET:MONTOIMP3", files::FieldType::Decimal, 701, 9, 17, 2},
    {"DET:PROCESADO", files::FieldType::Byte, 710, 1, 0, 0},
    {"DET:CODIGODEP", files::FieldType::CString, 711, 16, 0, 0},
    {"DET:GRUPOINV", files::FieldType::CString, 727, 20, 0, 0},
    {"DET:CONLINEA", files::FieldType::Byte, 747, 1, 0, 0},
    {"DET:NUMCONTRATO", files::FieldType::CString, 748, 21, 0, 0},
    {"DET:NUMTELEFONO", files::FieldType::CString, 769, 21, 0, 0},
    {"DET:CODVEN", files::FieldType::CString, 790, 16, 0, 0},
    {"DET:PORRETTAR", files::FieldType::Decimal, 806, 4, 7, 2},
    {"DET:MONTORETTAR", files::FieldType::Decimal, 810, 9, 17, 2},
    {"DET:MESVENC", files::FieldType::Long, 819, 4, 0, 0},
    {"DET:FECHAVENCE", files::FieldType::Long, 823, 4, 0, 0},
    {"DET:LINEAOINV", files::FieldType::CString, 827, 20, 0, 0},
    {"DET:CODFABRICANTE", files::FieldType::CString, 847, 20, 0, 0},
    {"DET:CENTROCOSTO", files::FieldType::CString, 867, 61, 0, 0},
    {"DET:NROSNEDET", files::FieldType::CString, 928, 21, 0, 0},
    {"DET:NOMBRE", files::FieldType::CString, 949, 41, 0, 0},
    {"DET:PORCOMISDETAIL", files::FieldType::Decimal, 990, 7, 13, 2},
    {"DET:MTOCOMISDETAIL", files::FieldType::Decimal, 997, 7, 13, 2},
    {"DET:PORDESGLO", files::FieldType::Decimal, 1004, 4, 7, 2},
    {"DET:MONTODESCUENTOGLO", files::FieldType::Decimal, 1008, 9, 17, 2},
    {"DET:CANTIDADFAC", files::FieldType::Decimal, 1017, 9, 17, 2},
    {"DET:PORREC", files::FieldType::Decimal, 1026, 4, 7, 2},
    {"DET:MONTORECARGA", files::FieldType::Decimal, 1030, 9, 17, 2},
    {"DET:PORRECARGOGLO", files::FieldType::Decimal, 1039, 4, 7, 2},
    {"DET:MONTORECARGOGLO", files::FieldType::Decimal, 1043, 9, 17, 2},
};

inline constexpr files::KeyPart kKeyDet01[] = {{0, false}, {58, false}};
inline constexpr files::KeyPart kKeyDet02[] = {{1, false}, {11, false}};
inline constexpr files::KeyPart kKeyDet03[] = {{0, false}, {1, false}};
inline constexpr files::KeyPart kKeyDet04[] = {{10, false}, {1, false}};
inline constexpr files::KeyPart kKeyDet05[] = {{58, false}, {1, false}};
inline constexpr files::KeyPart kKeyDet06[] = {{64, false}, {1, false}, {11, false}};
inline constexpr files::KeyPart kKeyDet07[] = {{1, false}, {64, false}, {11, false}};
inline constexpr files::KeyPart kKeyDet08[] = {{1, false}, {51, false}, {10, false}, {11, false}, {58, false}};
inline constexpr files::KeyPart kKeyDet09[] = {{11, false}, {51, false}, {10, false}, {1, false}};
inline constexpr files::KeyPart kKeyDet10[] = {{90, false}, {11, false}};
inline constexpr files::KeyPart kKeyDet11[] = {{90, false}, {1, false}};
inline constexpr files::KeyPart kKeyDet12[] = {{10, false}, {77, false}};
inline constexpr files::KeyDecl kDetailKeys[] = {
    {"DET:KEYDET01", kKeyDet01, 0x16},
    {"DET:KEYDET02", kKeyDet02, 0x07},
    {"DET:KEYDET03", kKeyDet03, 0x07},
    {"DET:KEYDET04", kKeyDet04, 0x07},
    {"DET:KEYDET05", kKeyDet05, 0x06},
    {"DET:KEYDET06", kKeyDet06, 0x07},
    {"DET:KEYDET07", kKeyDet07, 0x07},
    {"DET:KEYDET08", kKeyDet08, 0x07},
    {"DET:KEYDET09", kKeyDet09, 0x07},
    {"DET:KEYDET10", kKeyDet10, 0x07},
    {"DET:KEYDET11", kKeyDet11, 0x07},
    {"DET:KEYDET12", kKeyDet12, 0x07},
};
inline constexpr files::RecordLayout kDetailLayout = {1052, kDetailFields, kDetailKeys, {}};

// The money fields that a conversion rewrites (indexes into kDetailFields).
inline constexpr uint16_t kMoneyFields[] = {3, 4, 5, 7, 8, 13, 15, 17, 19, 53, 54, 60, 66, 74, 76, 85};

}  // namespace bench
