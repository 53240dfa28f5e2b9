#include "platform/ui/text_wrap.h"

#include <gtest/gtest.h>

#include <sstream>

namespace ui {
namespace {

// Ten pixels a character, counted as UTF-8 characters.
int Width(std::string_view text) {
  int chars = 0;
  for (unsigned char c : text) chars += (c & 0xC0) != 0x80 ? 1 : 0;
  return chars * 10;
}

struct WrapCase {
  const char* what;
  const char* text;
  int max_width;
  const char* wrapped;
};

class WrapTextTest : public testing::TestWithParam<WrapCase> {};

TEST_P(WrapTextTest, LinesFitAndNothingIsLost) {
  const std::string wrapped = WrapText(GetParam().text, GetParam().max_width, Width);
  EXPECT_EQ(wrapped, GetParam().wrapped);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WrapTextTest,
    testing::Values(WrapCase{"ShortTextAsItIs", "Fin del proceso", 640, "Fin del proceso"},
                    WrapCase{"AtBlanks", "uno dos tres cuatro", 70, "uno dos\ntres\ncuatro"},
                    WrapCase{"OwnLineBreaksStay", "uno dos\n\ntres cuatro cinco", 110,
                             "uno dos\n\ntres cuatro\ncinco"},
                    WrapCase{"LongPathAfterItsSeparators", "La ruta /aaaa/bbbb/cccc/dddd es larga", 100,
                             "La ruta\n/aaaa/\nbbbb/cccc/\ndddd es\nlarga"},
                    WrapCase{"WindowsPath", "C:\\SUITE\\DATOS\\ADM", 100, "C:\\SUITE\\\nDATOS\\ADM"},
                    WrapCase{"WordWithoutSeparators", "abcdefghijklmnop", 50, "abcde\nfghij\nklmno\np"},
                    WrapCase{"AccentedLettersStayWhole", "ñññññññ", 30, "ñññ\nñññ\nñ"}),
    [](const testing::TestParamInfo<WrapCase>& info) { return std::string(info.param.what); });

// A long message: every line within the width, and the words in their order.
TEST(WrapTextLongTest, EveryLineFitsAndTheWordsStay) {
  const std::string text =
      "La conversión anterior no terminó: comenzó el 10/12/2026 a las 07:30PM y convirtió 1234 registros.\n"
      "inventario (IVPROSER.VQF): El archivo /srv/suite/datos/administracion/empresa-de-prueba/IVPROSER.VQF "
      "está tomado por otra estación\n¿Desea continuarla?";
  const std::string wrapped = WrapText(text, 300, Width);
  std::istringstream lines(wrapped);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(Width(line), 300) << line;
  std::string joined;
  for (char c : wrapped) joined += c == '\n' ? ' ' : c;
  std::string original;
  for (char c : text) original += c == '\n' ? ' ' : c;
  std::string compact_joined, compact_original;
  for (char c : joined) if (c != ' ') compact_joined += c;
  for (char c : original) if (c != ' ') compact_original += c;
  EXPECT_EQ(compact_joined, compact_original);
}

}  // namespace
}  // namespace ui
