// The program run in this process, with a window procedure that records what it finds
// when the main window would open.
#include "app/programa_principal.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/globals.h"
#include "app/module_hooks.h"
#include "app/program_run.h"
#include "platform/library/window_manager.h"
#include "catalogue/catalogue.h"
#include "platform/library/window_manager.h"
#include "catalogue/disk_names.h"
#include "platform/runtime/single_instance.h"
#include "platform/runtime/test_support.h"
#include "platform/runtime/paths.h"
#include "platform/ui/headless/headless_backend.h"
#include "tools/demo_suite.h"

namespace app {
namespace {

using runtime::test::TestFolder;
using runtime::test::ReadWholeFile;

namespace fs = std::filesystem;
using catalogue::Table;

// What the window procedure saw; it runs without arguments, as every window procedure.
struct Seen {
  bool ran = false;
  std::string factor, root, parame, fiscal, bancos, ban1, qkconusu, temp;
  bool catalogue_built = false, store_open = false, no_case = false, word_only = true;
} seen;

void RecordingMain() {
  seen.ran = true;
  seen.factor = GLO::FACTORC.ToFixedText(2);
  seen.root = GLO::RUTAPROG.value();
  seen.parame = catalogue::DiskName(Table::ParameML);
  seen.fiscal = catalogue::DiskName(Table::ConfigFiscal);
  seen.bancos = catalogue::DiskName(Table::Bancos);
  seen.ban1 = catalogue::DiskName(Table::BAN1Alias);
  seen.qkconusu = catalogue::DiskName(Table::QKCONUSU);
  seen.temp = catalogue::DiskName(Table::TEMPCPDOCU);
  seen.catalogue_built = catalogue::FileManagerOf(Table::ParameML) != nullptr;
  seen.store_open = IniStoreGlobal->IsOpen();
  seen.no_case = FuzzyMatcherGlobal->IsOn(library::FuzzyMatcher::kNoCase);
  seen.word_only = FuzzyMatcherGlobal->IsOn(library::FuzzyMatcher::kWordOnly);
}

// A suite folder with the program folder below it, made the current folder, and a runtime
// folder of its own for the single-instance mark.
class ProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(suite_ / "Dinarvex");
    fs::create_directories(suite_ / "run");
    runtime::test::SetEnvironment("XDG_RUNTIME_DIR", (suite_ / "run").string());
    previous_folder_ = fs::current_path();
    fs::current_path(suite_ / "Dinarvex");
    seen = Seen();
  }
  void TearDown() override {
    fs::current_path(previous_folder_);
    runtime::test::UnsetEnvironment("XDG_RUNTIME_DIR");
  }

  TestFolder folder_;
  const fs::path& suite_ = folder_.path();
  fs::path previous_folder_;
};

TEST_F(ProgramTest, StartsNamesTheFilesRunsMainAndShutsDown) {
  ASSERT_EQ(tools::WriteDemoSuite(tools::StandardDemo(suite_.string())), "");
  const std::string admin = (suite_ / "DADM").string();
  fs::rename(suite_ / "Dadm", admin);
  std::ofstream(suite_ / "Sorvane.ini", std::ios::binary)
      << "[Sistemas]\r\nRutaDatos=" << admin << "\r\nRutaDatosContabilidad=/datos/DCON01\r\n";
  // The root in the form the program builds it: the short form of its folder, then "..".
  const std::string root = runtime::JoinPath(runtime::ShortPath((suite_ / "Dinarvex").string()), "..");
  const auto in = [](const char* folder, const char* file) { return runtime::JoinPath(folder, file); };

  EXPECT_EQ(RunProgram(&RecordingMain), 0);

  ASSERT_TRUE(seen.ran);
  EXPECT_EQ(seen.factor, "100000.00");
  EXPECT_EQ(seen.root, root);
  EXPECT_EQ(seen.parame, in(admin.c_str(), "CFPARAME.VQF"));
  EXPECT_EQ(seen.fiscal, runtime::JoinPath(root, "CFFISCAL.VQF"));
  EXPECT_EQ(seen.bancos, in(admin.c_str(), "BANCOS.VQF"));
  EXPECT_EQ(seen.ban1, seen.bancos);
  EXPECT_EQ(seen.qkconusu, in("/datos/DCON01", "QkConUsu01.vqf"));
  EXPECT_EQ(seen.temp, "");
  EXPECT_TRUE(seen.catalogue_built);
  EXPECT_TRUE(seen.store_open);
  EXPECT_TRUE(seen.no_case);
  EXPECT_FALSE(seen.word_only);

  // Shutdown: the store wrote its list, the thread's catalogue and the globals are gone.
  EXPECT_EQ(ReadWholeFile(suite_ / "Dinarvex" / "Dinarvex.INI"), "[__Dont_Touch_Me__]\r\nSectors=\r\n");
  EXPECT_EQ(catalogue::FileManagerOf(Table::ParameML), nullptr);
  EXPECT_FALSE(IniStoreGlobal.has_value());
  EXPECT_FALSE(ErrorManagerGlobal.has_value());
}

TEST_F(ProgramTest, SecondCopyHaltsBeforeMainAndWritesNothing) {
  ASSERT_TRUE(runtime::CreateUniqueEvent(kProgramFileName));  // the first copy
  ui::HeadlessBackend screen;
  EXPECT_EQ(RunProgram(&RecordingMain), 0);
  EXPECT_FALSE(seen.ran);
  // The beep, then the box: the screen had its turn between them.
  EXPECT_EQ(screen.beeps(), std::vector<ui::Sound>{ui::Sound::Exclamation});
  EXPECT_EQ(screen.yields(), 1);
  ASSERT_EQ(screen.messages().size(), 1u);
  const ui::MessageBox& box = screen.messages()[0].box;
  EXPECT_EQ(box.text, "El programa ya está ejecutandose..");
  EXPECT_EQ(box.caption, "Oh no...");
  EXPECT_EQ(box.icon, ui::Icon::Information);
  EXPECT_EQ(box.buttons, std::vector<std::string>{std::string(ui::kOkButton)});
  EXPECT_FALSE(fs::exists(suite_ / "Dinarvex" / "Dinarvex.INI"));
  EXPECT_EQ(catalogue::FileManagerOf(Table::ParameML), nullptr);  // freed at the thread's end
}

TEST(ProgramGlobalsTest, ConversionFactorIsSetBeforeAnyWindow) {
  MainModuleInit();
  EXPECT_EQ(GLO::FACTORC.ToFixedText(2), "100000.00");
  EXPECT_EQ(DCT::VERSION, "9.0.3");
  MainModuleKill();
}

TEST(ProgramThreadsTest, EachThreadHasItsOwnCatalogueAndWindowGlobals) {
  MainModuleInit();
  MainModuleThreadInit();
  catalogue::CatalogInit(*ErrorManagerGlobal);  // the first thread's, as the program main does
  library::ThreadWindowGlobals().RequestGlobal = 5;
  library::ThreadWindowGlobals().VCRRequestGlobal = 7;
  const auto* first_parame = catalogue::FileManagerOf(Table::ParameML);
  const uint8_t* first_record = catalogue::RecordOf(Table::ParameML);

  int number = 0, request = -1, vcr = -1;
  const void* parame = nullptr;
  const uint8_t* record = nullptr;
  std::thread second = StartThread([&] {
    number = ThreadNumber();
    request = library::ThreadWindowGlobals().RequestGlobal;
    vcr = library::ThreadWindowGlobals().VCRRequestGlobal;
    parame = catalogue::FileManagerOf(Table::ParameML);
    record = catalogue::RecordOf(Table::ParameML);
  });
  second.join();

  EXPECT_EQ(ThreadNumber(), 1);
  EXPECT_EQ(number, 2);
  EXPECT_EQ(request, 0);
  EXPECT_EQ(vcr, 0);
  ASSERT_NE(parame, nullptr);
  EXPECT_NE(parame, first_parame);
  EXPECT_NE(record, first_record);
  // The second thread's end left the first thread's catalogue alone.
  EXPECT_EQ(catalogue::FileManagerOf(Table::ParameML), first_parame);
  EXPECT_EQ(library::ThreadWindowGlobals().RequestGlobal, 5);

  MainModuleThreadKill();
  MainModuleKill();
}

}  // namespace
}  // namespace app
