// The backup window, headless, in a program folder laid out by the install step inside a
// suite of its own: the real scripts' logs in the lists, stand-in scripts for the logs
// and failures the real ones do not give, and a second process that writes the data.
#include "app/ejecuta_bckrest.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/ejecuta_bckrest_def.h"
#include "app/globals.h"
#include "platform/files/file_check.h"
#include "platform/files/test_process.h"
#include "platform/files/test_table.h"
#include "platform/library/window_manager.h"
#include "platform/runtime/command.h"
#include "platform/runtime/cp1252.h"
#include "platform/runtime/test_support.h"
#include "platform/runtime/text.h"
#include "platform/ui/headless/headless_backend.h"

namespace app {
namespace {

using runtime::test::TestFolder;
using runtime::test::ReadWholeFile;
using runtime::test::WriteWholeFile;

namespace fs = std::filesystem;

const fs::path kSource = DINARVEX_SOURCE_DIR;
constexpr const char* kModule = "Dinarvex$Dinvx003";

// A list row as the window keeps it: a STRING(120).
std::string Row(std::string_view line) { return runtime::FitString(line, kLogLineWidth); }

bool Sound(const fs::path& path) {
  std::string detail;
  return files::CheckRecordFile(path.string(), &detail) == 0;
}

// A second process rewriting every record of a file, for ever, until it is killed.
class Writer : public files::test::TestProcess {
 public:
  explicit Writer(const fs::path& path) : TestProcess(FILES_TEST_HELPER, {"rewrite", path.string()}) {
    EXPECT_EQ(ReadLine(), "pass 1");
  }
};

// <suite>/Sorvane.ini, <suite>/Datos/{Adm,Con,Nom} with a record file each (the data
// paths read into their globals), and the program folder <suite>/.../Dinarvex laid out by
// the install step, deep enough that the logs' full names are longer than 120 characters.
// Each test runs in the program folder.
class BackupWindow : public testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::current_path();
    path_ = getenv("PATH");
    suite_ = folder_.path();
    program_ = suite_ / std::string(60, 'c') / "Dinarvex";
    const fs::path data = suite_ / "Datos";
    // One area with a blank in its folder's name, one with an accent.
    areas_ = {data / "Adm", data / "Con tabilidad", data / "Nómina"};
    for (const fs::path& area : areas_) fs::create_directories(area);
    parame_ = areas_[0] / "CFPARAME.VQF";
    ASSERT_EQ(files::test::CreateWithRecords(parame_.string(), 3000), 0);
    ASSERT_EQ(files::test::CreateWithRecords((areas_[1] / "CGCUENTA.vqf").string(), 20), 0);
    ASSERT_EQ(files::test::CreateWithRecords((areas_[2] / "NMEMPLEA.VQF").string(), 20), 0);
    ASSERT_EQ(runtime::RunCommand("sh " + (kSource / "tools" / "install_layout.sh").string() + " " +
                                  program_.string())
                  .exit_code,
              0);
    WriteWholeFile(program_.parent_path() / "Sorvane.ini",
          runtime::Utf8ToCp1252("[Sistemas]\r\nRutadatos=" + areas_[0].string() + "\r\nRutaDatosContabilidad=" +
                                areas_[1].string() + "\r\nRutaDatosNomina=" + areas_[2].string() + "\r\n"));
    fs::current_path(program_);
    InitGlobals();
    GLO::RUTADATOS = areas_[0].string();
    GLO::RUTADATOSCONTABILIDAD = areas_[1].string();
    GLO::RUTADATOSNOMINA = areas_[2].string();
    ErrorManagerGlobal.emplace();
  }
  void TearDown() override {
    ErrorManagerGlobal.reset();
    setenv("PATH", path_.c_str(), 1);
    fs::current_path(home_);
  }

  fs::path Log(const char* name) const { return program_ / "CopiasREC" / name; }
  fs::path ParameCopy() const { return program_ / "CopiasREC" / "Dadm" / "CFPARAME.VQF"; }

  // The log's lines as the list shows them.
  std::vector<std::string> Rows(const char* log) const {
    std::vector<std::string> rows;
    std::istringstream lines(ReadWholeFile(Log(log)));
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      rows.push_back(Row(line));
    }
    return rows;
  }

  // Puts a stand-in in place of a script: its sh text runs in the program folder. It
  // copies nothing, so the window is given no data areas whose copies it would miss.
  void StandIn(const char* script, const std::string& body) {
    WriteWholeFile(program_ / script, body);
    GLO::RUTADATOS = "";
    GLO::RUTADATOSCONTABILIDAD = "";
    GLO::RUTADATOSNOMINA = "";
  }

  const ui::ShownWindow& Shown() const {
    const ui::ShownWindow* shown = screen_.Shown(kModule);
    EXPECT_NE(shown, nullptr);
    return *shown;
  }
  std::vector<std::string> ListRows(const char* list) const { return Shown().Control(list).rows; }

  ui::HeadlessBackend screen_;
  TestFolder folder_;
  std::string path_;
  fs::path home_, suite_, program_, parame_;
  std::vector<fs::path> areas_;
};

// Every record file of the three areas goes into the backup and comes back, byte for byte,
// through folders with a blank and an accent in their names.
TEST_F(BackupWindow, BackupAndRestoreCopyEveryFileBothWaysAndShowTheirLogs) {
  std::vector<fs::path> files;
  std::vector<std::string> bytes;
  for (const fs::path& area : areas_) {
    for (const auto& entry : fs::directory_iterator(area)) {
      if (runtime::Upper(entry.path().extension().string()) != ".VQF") continue;  // not its lock file
      files.push_back(entry.path());
      bytes.push_back(ReadWholeFile(entry.path()));
    }
  }
  ASSERT_EQ(files.size(), 3u);
  const char* copies[] = {"Dadm", "DCon01", "DNom"};
  {
    ui::HeadlessBackend screen;
    screen.Click("?BTN_COPIAR");
    EjecutaBCKREST();
    EXPECT_TRUE(screen.messages().empty()) << screen.messages()[0].box.text;
  }
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(ReadWholeFile(program_ / "CopiasREC" / copies[i] / files[i].filename()), bytes[i]) << files[i];
    WriteWholeFile(files[i], "cambiado");
  }
  screen_.Click("?BTN_RESTAURAR").Answer("Si");
  EjecutaBCKREST();

  EXPECT_TRUE(screen_.errors().empty()) << screen_.errors()[0];
  ASSERT_EQ(screen_.messages().size(), 1u);  // the restore's question
  for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ(ReadWholeFile(files[i]), bytes[i]) << files[i];
  const std::vector<std::string> backup = Rows("ReconverBCK.log");
  ASSERT_EQ(backup.size(), 12u);
  EXPECT_EQ(backup[0], Row("Copiando archivos de Administrativo"));
  EXPECT_EQ(backup[6], Row(files[1].string()));
  EXPECT_EQ(backup[10], Row(files[2].string()));
  const std::vector<std::string> restore = Rows("ReconverREST.log");
  ASSERT_EQ(restore.size(), 12u);
  EXPECT_EQ(restore[4], Row("Restaurando archivos de Contabilidad"));
  EXPECT_EQ(ListRows("?LIST2"), restore);
  // The wait cursor from the start of each script until its log is in the list.
  EXPECT_EQ(screen_.cursors().front(), ui::Cursor::Wait);
  EXPECT_EQ(screen_.cursors().back(), ui::Cursor::Normal);
  // The script ran out: the window closed by its close box, as cancelled.
  EXPECT_EQ(library::ThreadWindowGlobals().ResponseGlobal, library::kRequestCancelled);
}

// The restore names what it replaces and the date of the copy, and runs only on "Si".
TEST_F(BackupWindow, RestoreAsksFirstAndNoLeavesEverythingAsItWas) {
  const std::string question_start =
      "Los datos de las áreas administrativa, contable y de nómina se reemplazarán por la copia de "
      "respaldo de CopiasREC";
  const std::string question_end = ".\n¿Desea restaurar la copia?";
  WriteWholeFile(ParameCopy(), "copia");
  const std::string data = ReadWholeFile(parame_);
  {
    ui::HeadlessBackend screen;
    screen.Click("?BTN_RESTAURAR").Answer("No");
    EjecutaBCKREST();
    ASSERT_EQ(screen.messages().size(), 1u);
    const ui::ShownMessage& shown = screen.messages()[0];
    EXPECT_EQ(shown.box.text, question_start + question_end);  // no backup log: no date
    EXPECT_EQ(shown.box.caption, "Confirmar, por favor...");
    EXPECT_EQ(shown.box.icon, ui::Icon::Exclamation);
    EXPECT_EQ(shown.box.buttons, (std::vector<std::string>{"&Si", "&No"}));
    EXPECT_EQ(shown.box.default_button, 2);
    EXPECT_TRUE(screen.cursors().empty());
  }
  // With the log of a backup: its date and time.
  WriteWholeFile(Log("ReconverBCK.log"), "linea\r\n");
  std::tm written{};
  written.tm_year = 2026 - 1900;
  written.tm_mon = 2;
  written.tm_mday = 5;
  written.tm_hour = 14;
  written.tm_min = 7;
  written.tm_isdst = -1;
  const auto when = std::chrono::system_clock::from_time_t(std::mktime(&written));
  fs::last_write_time(Log("ReconverBCK.log"), std::chrono::file_clock::from_sys(when));
  ui::HeadlessBackend screen;
  screen.Click("?BTN_RESTAURAR");  // and the box is left to its default
  EjecutaBCKREST();
  ASSERT_EQ(screen.messages().size(), 1u);
  EXPECT_EQ(screen.messages()[0].box.text, question_start + ", del 05/03/2026 a las 14:07" + question_end);
  EXPECT_NE(screen.messages()[0].answer, 1);
  EXPECT_FALSE(fs::exists(Log("ReconverREST.log")));
  EXPECT_TRUE(screen.Shown(kModule)->Control("?LIST2").rows.empty());
  EXPECT_EQ(ReadWholeFile(parame_), data);
}

// Each job with its own script, log, list and message for a missing log.
struct Job {
  const char* button;
  const char* script;
  const char* log;
  const char* list;
  const char* other_list;
  const char* missing_text;
};
// The boxes a job showed, the restore's question left out.
std::vector<ui::MessageBox> Reports(const ui::HeadlessBackend& screen) {
  std::vector<ui::MessageBox> boxes;
  for (const ui::ShownMessage& shown : screen.messages()) {
    if (shown.box.caption != "Confirmar, por favor...") boxes.push_back(shown.box);
  }
  return boxes;
}

// Presses the job's button, and answers "Si" when the job asks first.
void Press(ui::HeadlessBackend& screen, const char* button) {
  screen.Click(button);
  if (std::string_view(button) == "?BTN_RESTAURAR") screen.Answer("Si");
}

const Job kJobs[] = {
    {"?BTN_COPIAR", "RESBACK.sh", "ReconverBCK.log", "?LIST1", "?LIST2",
     "No consigo el archivo \"ReconverBCK.log\".\r\nAbortando muestra del log"},
    {"?BTN_RESTAURAR", "RESREST.sh", "ReconverREST.log", "?LIST2", "?LIST1",
     "No consigo el archivo \"ReconverREST.log\"\nAbortando muestra del log"},
};

TEST_F(BackupWindow, LongLinesAreCutToTheListsWidth) {
  for (const Job& job : kJobs) {
    SCOPED_TRACE(job.button);
    const std::string accented = runtime::Utf8ToCp1252(std::string(115, 'n') + "ñandú");
    WriteWholeFile(Log(job.log), std::string(300, 'x') + "\r\n" + std::string(150, 'y') + "\r\n" + accented +
                            "\xE1\xE9\r\n" + "/datos/n\xC3\xB3mina/A.VQF\r\n");
    StandIn(job.script, "exit 0\n");
    ui::HeadlessBackend screen;
    Press(screen, job.button);
    EjecutaBCKREST();
    const ui::ShownWindow* shown = screen.Shown(kModule);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->Control(job.list).rows,
              (std::vector<std::string>{std::string(120, 'x'), std::string(120, 'y'),
                                        std::string(115, 'n') + "ñandú",
                                        Row("/datos/nómina/A.VQF")}));
    EXPECT_TRUE(shown->Control(job.other_list).rows.empty());
    EXPECT_TRUE(Reports(screen).empty());
  }
}

// The real scripts made to fail: the list shows the log, with a line for each fault below
// it, and the box names the files and the script's exit code.
TEST_F(BackupWindow, FailedScriptShowsItsLogAndSaysWhyTheResultIsNotSound) {
  const fs::path copy_folder = program_ / "CopiasREC";
  struct Case {
    const char* name;
    const char* button;
    std::function<void()> spoil, mend;
    std::function<std::vector<std::string>()> faults;
    const char* unsound_text;
  };
  const Case cases[] = {
      {"a data folder missing", "?BTN_COPIAR", [&] { fs::rename(areas_[1], suite_ / "aparte"); },
       [&] { fs::rename(suite_ / "aparte", areas_[1]); },
       [] { return std::vector<std::string>{"RESBACK.BAT terminó con el código 1; su registro dice qué no se copió."}; },
       "La copia de respaldo no es confiable:"},
      {"a copy that cannot be written", "?BTN_COPIAR",
       [&] {
         fs::remove(ParameCopy());
         fs::create_directories(ParameCopy());
       },
       [&] { fs::remove_all(ParameCopy()); },
       [&] {
         return std::vector<std::string>{
             "ATENCIÓN: No se copió el archivo " + parame_.string() + " en " + ParameCopy().string() + ".",
             "RESBACK.BAT terminó con el código 1; su registro dice qué no se copió."};
       },
       "La copia de respaldo no es confiable:"},
      {"a backup folder missing for the restore", "?BTN_RESTAURAR",
       [&] { fs::rename(copy_folder / "DNom", suite_ / "aparte"); },
       [&] { fs::rename(suite_ / "aparte", copy_folder / "DNom"); },
       [] { return std::vector<std::string>{"RESREST.BAT terminó con el código 1; su registro dice qué no se copió."}; },
       "La restauración no es confiable:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.spoil();
    ui::HeadlessBackend screen;
    Press(screen, c.button);
    EjecutaBCKREST();
    const bool backup = std::string_view(c.button) == "?BTN_COPIAR";
    const std::vector<std::string> log = Rows(backup ? "ReconverBCK.log" : "ReconverREST.log");
    ASSERT_EQ(log.size(), 12u);
    std::vector<std::string> rows = log;
    std::string text = c.unsound_text;
    for (const std::string& fault : c.faults()) {
      rows.push_back(Row(fault));
      text += "\n" + fault;
    }
    EXPECT_EQ(screen.Shown(kModule)->Control(backup ? "?LIST1" : "?LIST2").rows, rows);
    ASSERT_EQ(Reports(screen).size(), 1u);
    EXPECT_EQ(Reports(screen)[0].text, text);
    EXPECT_EQ(Reports(screen)[0].caption, "Problema");
    EXPECT_EQ(Reports(screen)[0].icon, ui::Icon::Error);
    c.mend();
  }
}

// A script that ends well but leaves a copy short, or ends badly without a log: the box
// says so, and no box about the log comes first.
TEST_F(BackupWindow, ScriptsWordIsNotTakenForIt) {
  fs::copy_file(program_ / "RESBACK.sh", program_ / "RESBACK_real.sh");
  WriteWholeFile(program_ / "RESBACK.sh", "sh ./RESBACK_real.sh \"$@\" && : > '" + ParameCopy().string() + "'\n");
  screen_.Click("?BTN_COPIAR");
  EjecutaBCKREST();
  ASSERT_EQ(Reports(screen_).size(), 1u);
  EXPECT_EQ(Reports(screen_)[0].text, "La copia de respaldo no es confiable:\nATENCIÓN: El archivo " +
                                          ParameCopy().string() + " tiene 0 bytes y su original " +
                                          parame_.string() + " tiene " + std::to_string(fs::file_size(parame_)) +
                                          " bytes.");

  StandIn("RESBACK.sh", "rm -f CopiasREC/ReconverBCK.log; exit 3\n");
  ui::HeadlessBackend screen;
  screen.Click("?BTN_COPIAR");
  EjecutaBCKREST();
  ASSERT_EQ(Reports(screen).size(), 1u);
  EXPECT_EQ(Reports(screen)[0].text,
            "La copia de respaldo no es confiable:\nRESBACK.BAT terminó con el código 3; su registro dice qué "
            "no se copió.");
  EXPECT_EQ(screen.Shown(kModule)->Control("?LIST1").rows,
            std::vector<std::string>{Row("RESBACK.BAT terminó con el código 3; su registro dice qué no se copió.")});
}

TEST_F(BackupWindow, MissingLogEmptiesTheListAndSaysSo) {
  for (const Job& job : kJobs) {
    SCOPED_TRACE(job.button);
    // A log is shown first; the next run leaves none.
    const std::string log = std::string("CopiasREC/") + job.log;
    StandIn(job.script, "if [ -e vez ]; then rm -f " + log + " vez; exit 0; fi\n: > vez\n" +
                            "printf 'linea\\r\\n' > " + log + "\n");
    ui::HeadlessBackend screen;
    Press(screen, job.button);
    Press(screen, job.button);
    EjecutaBCKREST();
    const ui::ShownWindow* shown = screen.Shown(kModule);
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->Control(job.list).rows.empty());
    ASSERT_EQ(Reports(screen).size(), 1u);
    const ui::MessageBox box = Reports(screen)[0];
    EXPECT_EQ(box.text, job.missing_text);
    EXPECT_EQ(box.caption, "Problema");
    EXPECT_EQ(box.icon, ui::Icon::Error);
    EXPECT_EQ(box.buttons, std::vector<std::string>{"&Aceptar"});
  }
}

TEST_F(BackupWindow, EmptyLogSaysWhereNothingWasFound) {
  for (const Job& job : kJobs) {
    SCOPED_TRACE(job.button);
    StandIn(job.script, std::string(": > CopiasREC/") + job.log + "\n");
    ui::HeadlessBackend screen;
    Press(screen, job.button);
    EjecutaBCKREST();
    ASSERT_EQ(Reports(screen).size(), 1u);
    const ui::MessageBox box = Reports(screen)[0];
    // The full name, longer than 120 characters here, is neither cut nor missed.
    EXPECT_EQ(box.text, "No conseguí registros en: " + Log(job.log).string());
    EXPECT_GT(Log(job.log).string().size(), 120u);
    EXPECT_EQ(box.caption, "CUENTA");
    EXPECT_EQ(box.icon, ui::Icon::None);
    EXPECT_TRUE(screen.Shown(kModule)->Control(job.list).rows.empty());
  }
}

TEST_F(BackupWindow, CommandProcessorThatCannotStartClosesTheWindowCancelled) {
  const fs::path no_shell = suite_ / "sin_sh";
  fs::create_directories(no_shell);
  setenv("PATH", no_shell.c_str(), 1);
  screen_.Click("?BTN_RESTAURAR").Answer("Si").Click("?BTN_COPIAR");
  EjecutaBCKREST();
  ASSERT_EQ(Reports(screen_).size(), 1u);
  const ui::MessageBox box = Reports(screen_)[0];
  EXPECT_EQ(box.text, runtime::RunCommand("cmd.exe /c .\\RESREST.BAT,1").error_text);
  EXPECT_FALSE(box.text.empty());
  EXPECT_EQ(box.caption, "Problemas");
  EXPECT_EQ(box.icon, ui::Icon::None);
  EXPECT_EQ(box.buttons, std::vector<std::string>{"&Aceptar"});
  // The window closed at once: the second click was never played.
  EXPECT_FALSE(screen_.ScriptDone());
  EXPECT_FALSE(Shown().open);
  EXPECT_EQ(library::ThreadWindowGlobals().ResponseGlobal, library::kRequestCancelled);
  EXPECT_EQ(screen_.cursors(), (std::vector<ui::Cursor>{ui::Cursor::Wait, ui::Cursor::Normal}));
  // The list still says what was to run.
  EXPECT_EQ(Shown().Control("?LIST2").rows, std::vector<std::string>{Row("La restauración está en curso.")});
}

// Another station writes the file while the user asks for a copy or a restore: nothing
// runs, the message names the file, and the file keeps every record, sound.
TEST_F(BackupWindow, FileThatAnotherStationWritesStopsBothJobs) {
  screen_.Click("?BTN_COPIAR");
  EjecutaBCKREST();
  ASSERT_TRUE(Reports(screen_).empty());
  const std::vector<std::string> backed_up = files::test::RecordsOf(ParameCopy().string());
  ASSERT_EQ(backed_up.size(), 3000u);
  fs::remove(Log("ReconverBCK.log"));
  fs::remove(ParameCopy());
  for (const Job& job : kJobs) {
    SCOPED_TRACE(job.button);
    const std::string copy = ReadWholeFile(ParameCopy());
    {
      Writer writer(parame_);
      ui::HeadlessBackend screen;
      Press(screen, job.button);
      EjecutaBCKREST();
      ASSERT_EQ(Reports(screen).size(), 1u);
      const ui::MessageBox box = Reports(screen)[0];
      EXPECT_EQ(box.text, "El archivo " + parame_.string() +
                              " está abierto en otra estación.\nCierre los programas del sistema "
                              "en todas las estaciones y vuelva a intentarlo.");
      EXPECT_EQ(box.caption, "Problema");
      EXPECT_EQ(box.icon, ui::Icon::Error);
      EXPECT_TRUE(screen.Shown(kModule)->Control(job.list).rows.empty());
      EXPECT_FALSE(fs::exists(Log(job.log)));
    }
    // Its next opener plays back what the killed writer left half done; then it is sound.
    EXPECT_EQ(files::test::RecordsOf(parame_.string()).size(), backed_up.size());
    EXPECT_TRUE(Sound(parame_));
    EXPECT_EQ(ReadWholeFile(ParameCopy()), copy);  // neither copied nor restored
    WriteWholeFile(ParameCopy(), ReadWholeFile(parame_));  // the restore's turn needs a copy
  }
}

// A station that starts writing while the script copies cannot open the file, and the
// copy passes the check.
TEST_F(BackupWindow, FilesStayHeldWhileTheScriptCopies) {
  fs::copy_file(program_ / "RESBACK.sh", program_ / "RESBACK_copia.sh");
  WriteWholeFile(program_ / "RESBACK.sh", std::string(FILES_TEST_HELPER) + " rewrite '" + parame_.string() +
                            "' > /dev/null; echo $? > escritor\nexec sh ./RESBACK_copia.sh \"$@\"\n");
  screen_.Click("?BTN_COPIAR");
  EjecutaBCKREST();
  EXPECT_TRUE(Reports(screen_).empty()) << Reports(screen_)[0].text;
  EXPECT_EQ(ReadWholeFile(program_ / "escritor"), "1\n");  // the writer's open was refused
  EXPECT_EQ(ListRows("?LIST1"), Rows("ReconverBCK.log"));
  const std::vector<std::string> copied = files::test::RecordsOf(ParameCopy().string());
  EXPECT_EQ(copied.size(), 3000u);
  EXPECT_EQ(copied, files::test::RecordsOf(parame_.string()));
  // Released once the script has ended.
  files::test::Table t;
  EXPECT_EQ(t.file.Open(parame_.string()), 0);
}

// A conversion run killed inside a write group leaves its journal beside the file. The
// restore settles it first, so the restored file holds exactly the backup's records and
// no journal is played into it afterwards.
TEST_F(BackupWindow, RestoreAfterACrashedRunGivesExactlyTheBackup) {
  screen_.Click("?BTN_COPIAR");
  EjecutaBCKREST();
  const std::vector<std::string> backed_up = files::test::RecordsOf(ParameCopy().string());
  ASSERT_EQ(backed_up.size(), 3000u);
  const fs::path journal = parame_.string() + "-journal";
  ASSERT_TRUE(files::test::KillWriterMidTransaction(FILES_TEST_HELPER, parame_.string()));

  ui::HeadlessBackend screen;
  screen.Click("?BTN_RESTAURAR").Answer("Si");
  EjecutaBCKREST();
  EXPECT_TRUE(Reports(screen).empty()) << Reports(screen)[0].text;
  EXPECT_FALSE(fs::exists(journal));
  EXPECT_EQ(files::test::RecordsOf(parame_.string()), backed_up);
  EXPECT_TRUE(Sound(parame_));
}

// A damaged data file gives a damaged copy: the list names it and the window says the
// backup is not sound; a restore of it is refused and leaves the data as they are.
TEST_F(BackupWindow, DamagedCopyIsReportedAndNotRestored) {
  {
    const auto middle = static_cast<std::streamoff>(fs::file_size(parame_) / 2);
    std::fstream f(parame_, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(middle);
    f << std::string(4000, '\0');
  }
  const std::string damaged = ReadWholeFile(parame_);
  screen_.Click("?BTN_COPIAR").Click("?BTN_RESTAURAR").Answer("Si");
  EjecutaBCKREST();
  ASSERT_EQ(Reports(screen_).size(), 2u) << Reports(screen_)[0].text;
  const std::string line = "ATENCIÓN: El archivo " + ParameCopy().string() + " no pasó la comprobación (";
  const std::vector<std::string> rows = ListRows("?LIST1");
  ASSERT_EQ(rows.size(), Rows("ReconverBCK.log").size() + 1);
  EXPECT_EQ(rows.back(), Row(line));
  const ui::MessageBox backup = Reports(screen_)[0];
  EXPECT_EQ(backup.text.rfind("La copia de respaldo no es confiable:\n" + line, 0), 0u) << backup.text;
  EXPECT_EQ(backup.caption, "Problema");
  EXPECT_EQ(backup.icon, ui::Icon::Error);

  const ui::MessageBox restore = Reports(screen_)[1];
  EXPECT_EQ(restore.text.rfind("La copia de respaldo está dañada y no se restauró nada:\n" + line, 0), 0u)
      << restore.text;
  EXPECT_TRUE(ListRows("?LIST2").empty());
  EXPECT_FALSE(fs::exists(Log("ReconverREST.log")));
  EXPECT_EQ(ReadWholeFile(parame_), damaged);
}

TEST_F(BackupWindow, OpensWithTheHelpTextsAndClosesCompleted) {
  screen_.Click("?CLOSE");
  EjecutaBCKREST();
  EXPECT_TRUE(screen_.errors().empty());
  const ui::ShownWindow& shown = Shown();
  EXPECT_EQ(shown.controls.size(), 17u);
  EXPECT_EQ(runtime::CharCount(kBackupHelp), 659u);
  EXPECT_EQ(runtime::CharCount(kRestoreHelp), 561u);
  EXPECT_EQ(runtime::Clip(shown.Control("?LOC:BACKUP").text), kBackupHelp);
  EXPECT_EQ(runtime::Clip(shown.Control("?LOC:RESTORE").text), kRestoreHelp);
  EXPECT_EQ(library::ThreadWindowGlobals().ResponseGlobal, library::kRequestCompleted);
}

TEST_F(BackupWindow, CalcShowsTheConvertedTestAmount) {
  struct Case {
    const char* typed;
    const char* shown;  // right-aligned in 15 characters
  };
  const Case cases[] = {
      {"150000", "           1.50"},
      {"500", "           0.01"},
      {"0", "           0.01"},
      {"-150,000.00", "          -1.50"},
      {"876543210", "       8,765.43"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    ui::HeadlessBackend screen;
    screen.Type("?MONTOX", c.typed).Click("?BUTTON5");
    EjecutaBCKREST();
    EXPECT_TRUE(screen.errors().empty());
    EXPECT_EQ(screen.Shown(kModule)->Control("?MONTOS").text, runtime::FitString(c.shown, 20));
  }
}

}  // namespace
}  // namespace app
