#include "app/backup_areas.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <string_view>

#include "app/globals.h"
#include "catalogue/catalogue.h"
#include "platform/files/errors.h"
#include "platform/files/file_check.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/text.h"

namespace app {
namespace {

namespace fs = std::filesystem;

// The three areas in the scripts' order: the data folder and its folder in the backup.
struct Area {
  std::string data;
  const char* copies;
};

std::vector<Area> Areas() {
  return {{std::string(runtime::Clip(GLO::RUTADATOS.value())), "Dadm"},
          {std::string(runtime::Clip(GLO::RUTADATOSCONTABILIDAD.value())), "DCon01"},
          {std::string(runtime::Clip(GLO::RUTADATOSNOMINA.value())), "DNom"}};
}

bool IsRecordFileName(std::string_view name) {
  constexpr std::string_view kEnding = ".vqf";
  return name.size() > kEnding.size() &&
         runtime::Upper(name.substr(name.size() - kEnding.size())) == runtime::Upper(kEnding);
}

// The names of the record files in `folder` (UTF-8, as every path here), sorted; none when
// the folder is missing.
std::vector<std::string> RecordFileNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(runtime::PathOf(folder), error), end; !error && it != end; it.increment(error)) {
    const std::u8string utf8 = it->path().filename().u8string();
    const std::string name(utf8.begin(), utf8.end());
    if (IsRecordFileName(name) && it->is_regular_file(error)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

CopyPlan PlanCopy(Direction direction, const std::string& backup_folder) {
  CopyPlan plan;
  for (const Area& area : Areas()) {
    if (area.data.empty()) continue;
    const std::string copies = runtime::JoinPath(backup_folder, area.copies);
    if (direction == Direction::Backup) {
      for (const std::string& name : RecordFileNames(area.data)) {
        plan.quiet.push_back(runtime::JoinPath(area.data, name));
        plan.copies.push_back({runtime::JoinPath(area.data, name), runtime::JoinPath(copies, name)});
      }
    } else {
      // A file the restore does not replace is held too: it must not change while the
      // others go back to their old state.
      std::set<std::string> quiet;
      for (const std::string& name : RecordFileNames(area.data)) quiet.insert(runtime::JoinPath(area.data, name));
      for (const std::string& name : RecordFileNames(copies)) {
        plan.check_before.push_back(runtime::JoinPath(copies, name));
        plan.copies.push_back({runtime::JoinPath(copies, name), runtime::JoinPath(area.data, name)});
        quiet.insert(runtime::JoinPath(area.data, name));
      }
      plan.quiet.insert(plan.quiet.end(), quiet.begin(), quiet.end());
    }
  }
  return plan;
}

void CloseOwnRecordFiles() {
  for (size_t i = 0; i < catalogue::kTableCount; ++i) {
    files::KeyedFile* file = catalogue::FileOf(static_cast<catalogue::Table>(i));
    if (file != nullptr && file->IsOpen()) file->Close();
  }
}

std::string QuietFiles::Take(const std::vector<std::string>& paths) {
  holds_.clear();
  for (const std::string& path : paths) {
    files::FileHold hold;
    const int rc = hold.Take(path);
    if (rc == files::kAccessDenied) {
      holds_.clear();
      return "El archivo " + path +
             " está abierto en otra estación.\nCierre los programas del sistema en todas las "
             "estaciones y vuelva a intentarlo.";
    }
    if (rc != files::kNoError) {
      holds_.clear();
      return "No se pudo reservar el archivo " + path + " (" + std::string(files::ErrorText(rc)) + ").";
    }
    std::string detail;
    if (files::SettleLeftoverJournal(path, &detail) != files::kNoError) {
      holds_.clear();
      return detail;
    }
    holds_.push_back(std::move(hold));
  }
  return {};
}

void MeasureSources(std::vector<PlannedCopy>* copies) {
  for (PlannedCopy& copy : *copies) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(runtime::PathOf(copy.source), error);
    copy.size = error ? 0 : size;
  }
}

std::vector<std::string> CopyFaults(const std::vector<PlannedCopy>& copies) {
  std::vector<std::string> lines;
  for (const PlannedCopy& copy : copies) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(runtime::PathOf(copy.target), error);
    if (error) {
      lines.push_back("ATENCIÓN: No se copió el archivo " + copy.source + " en " + copy.target + ".");
    } else if (size != copy.size) {
      lines.push_back("ATENCIÓN: El archivo " + copy.target + " tiene " + std::to_string(size) +
                      " bytes y su original " + copy.source + " tiene " + std::to_string(copy.size) + " bytes.");
    } else {
      std::vector<std::string> damaged = DamageLines({copy.target});
      lines.insert(lines.end(), damaged.begin(), damaged.end());
    }
  }
  return lines;
}

std::vector<std::string> DamageLines(const std::vector<std::string>& paths) {
  std::vector<std::string> lines;
  for (const std::string& path : paths) {
    std::string detail;
    if (files::CheckRecordFile(path, &detail) != files::kNoError) lines.push_back("ATENCIÓN: " + detail);
  }
  return lines;
}

}  // namespace app
