#include "platform/library/error_manager.h"

#include <gtest/gtest.h>

#include <thread>

namespace library {
namespace {

struct RecordingDisplay : MessageDisplay {
  struct Shown {
    int level;
    std::string title, text;
  };
  std::vector<Shown> shown;
  void Show(int level, std::string_view title, std::string_view text) override {
    shown.push_back({level, std::string(title), std::string(text)});
  }
};

TEST(ErrorManager, FillsPlaceholdersAndReturnsTheMessageLevel) {
  ErrorManager errors;
  RecordingDisplay display;
  errors.SetDisplay(&display);
  errors.SetField("Zoom por defecto en los reportes");
  EXPECT_EQ(errors.ThrowMessage(kMsgOutOfRange, "1 .. 400"), kLevelNotify);
  errors.SetField("Precio Menor");
  EXPECT_EQ(errors.ThrowMessage(kMsgNotInList, "'1','2','3'"), kLevelNotify);
  EXPECT_EQ(errors.ThrowFile(kMsgDeleteRestricted, "SaldoBancos", ""), kLevelNotify);
  EXPECT_EQ(errors.ThrowFile(kMsgCreateFailed, "C:\\datos\\BANCOS.VQF", "Access Denied"), kLevelFatal);

  ASSERT_EQ(display.shown.size(), 4u);
  EXPECT_EQ(display.shown[0].title, "Error de rango");
  EXPECT_EQ(display.shown[0].text,
            "El valor del campo: Zoom por defecto en los reportes debe estar entre 1 .. 400.");
  EXPECT_EQ(display.shown[1].title, "Error en Valor");
  EXPECT_EQ(display.shown[1].text,
            "El valor del campo Precio Menor debe estar en la lista: '1','2','3'.");
  EXPECT_EQ(display.shown[2].title, "Error de eliminación: registros dependientes");
  EXPECT_EQ(display.shown[2].text,
            "Este registro es referenciado por SaldoBancos. Este registro no puede ser "
            "eliminado mientras exista la referencia.");
  EXPECT_EQ(display.shown[3].text,
            "No se pudo crear el archivo C:\\datos\\BANCOS.VQF. Error: Access Denied.");
  EXPECT_EQ(errors.History().size(), 4u);
}

TEST(ErrorManager, AValueHoldingAPlaceholderIsNotFilledAgain) {
  ErrorManager errors;
  errors.SetField("%Message");
  errors.ThrowMessage(kMsgNotInFile, "Clases");
  EXPECT_EQ(errors.History().back().text,
            "El valor del campo %Message debe hallarse en el archivo Clases.");
}

TEST(ErrorManager, ProcedureNamesStackPerThread) {
  ErrorManager errors;
  errors.SetProcedureName("Main", false);
  errors.SetProcedureName("EjecutaProceso", false);
  std::thread other([&] {
    errors.SetProcedureName("Otro", false);
    errors.ThrowMessage(kMsgNotInList, "x");
  });
  other.join();
  errors.ThrowMessage(kMsgNotInList, "x");
  errors.SetProcedureName("", true);
  errors.ThrowMessage(kMsgNotInList, "x");
  errors.SetProcedureName("", true);
  errors.SetProcedureName("", true);  // one more pop than pushes is harmless
  errors.ThrowMessage(kMsgNotInList, "x");
  std::vector<ShownMessage> history = errors.History();
  ASSERT_EQ(history.size(), 4u);
  EXPECT_EQ(history[0].procedure, "Otro");
  EXPECT_EQ(history[1].procedure, "EjecutaProceso");
  EXPECT_EQ(history[2].procedure, "Main");
  EXPECT_EQ(history[3].procedure, "");
}

}  // namespace
}  // namespace library
