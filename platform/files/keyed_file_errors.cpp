#include "platform/files/keyed_file_errors.h"

#include <sqlite3.h>

#include "platform/files/errors.h"
#include "platform/files/keyed_file_open.h"

namespace files {

bool MeansDamage(SqliteCode rc) {
  return Primary(rc) == SqliteCode::kCorrupt || Primary(rc) == SqliteCode::kNotADb;
}

bool MeansRefusal(SqliteCode rc) {
  switch (Primary(rc)) {
    case SqliteCode::kBusy:
    case SqliteCode::kLocked:
    case SqliteCode::kCantOpen:
    case SqliteCode::kPerm:
    case SqliteCode::kReadOnly:
      return true;
    default:
      return false;
  }
}

std::string SqlMessage(sqlite3* db, SqliteCode rc) { return db != nullptr ? sqlite3_errmsg(db) : CodeText(rc); }

namespace {

// The sentence of a failure on `file`, with the system's or SQLite's account of it when
// there is one.
std::string FileSystemFault(const std::string& file, const std::string& cause) {
  const std::string sentence = "Error de sistema de archivos en " + file;
  return cause.empty() ? sentence : sentence + " (" + cause + ")";
}

}  // namespace

int ErrorReport::Done(int code, std::string detail) {
  code_ = code;
  detail_ = std::move(detail);
  return code;
}

int ErrorReport::FailCode(int code, const std::string& system_text) {
  switch (code) {
    case kFileNotFound: return Done(code, "No se encuentra el archivo " + path_);
    case kPathNotFound: return Done(code, "No existe la carpeta del archivo " + path_);
    case kAccessDenied: return Done(code, "Acceso denegado al archivo " + path_);
    default:
      return Done(code, FileSystemFault(path_, system_text));
  }
}

int ErrorReport::FailErrno(int error) { return FailCode(CodeForSystemError(error, path_), SystemErrorText(error)); }

int ErrorReport::FailBesideFile(int error, const std::string& file) {
  const std::string folder = FolderOf(path_);
  if (IsLinkRefusal(error)) {
    return Done(kAccessDenied, "El archivo de bloqueo " + file + " es un enlace simbólico y no se usa");
  }
  switch (CodeForSystemError(error, file)) {
    case kFileNotFound:
    case kPathNotFound:
      return Done(kPathNotFound, "No existe la carpeta " + folder);
    case kAccessDenied:
      if (env_->FolderRefusesNewFile(file, folder)) {
        return Done(kAccessDenied, "No se puede crear el archivo " + file + ": la carpeta " +
                                       folder + " no admite escritura");
      }
      return Done(kAccessDenied, "Acceso denegado al archivo " + file);
    default:
      return Done(kFileSystemError, FileSystemFault(file, SystemErrorText(error)));
  }
}

int ErrorReport::FailLockFile(const File& lock_file) {
  return Done(kFileSystemError, FileSystemFault(LockFilePath(path_), SystemErrorText(lock_file.SystemError())));
}

int ErrorReport::FailSql(SqliteCode rc, int system_error, const std::string& cause) {
  switch (Primary(rc)) {
    case SqliteCode::kCorrupt:
    case SqliteCode::kNotADb:
      return Done(kFileSystemError, DamagedDetail(cause));
    case SqliteCode::kBusy:
    case SqliteCode::kLocked:
      return Done(kFileLocked, "El archivo " + path_ + " está siendo escrito por otra estación");
    case SqliteCode::kCantOpen:
    case SqliteCode::kPerm:
      if (system_error != 0) return FailErrno(system_error);
      return Done(kAccessDenied, "Acceso denegado al archivo " + path_);
    case SqliteCode::kReadOnly:
      return FailReadOnly(WriteVersionOf(env_, path_));
    case SqliteCode::kFull:
      return Done(kFileSystemError, "No queda espacio en el disco del archivo " + path_ + " (" + cause + ")");
    default:
      return Done(kFileSystemError, FileSystemFault(path_, cause));
  }
}

int ErrorReport::FailSql(SqliteCode rc, sqlite3* db) {
  return FailSql(rc, db != nullptr ? sqlite3_system_errno(db) : 0, SqlMessage(db, rc));
}

std::string ErrorReport::DamagedDetail(const std::string& cause) const {
  return "El archivo " + path_ + " está dañado o no es un archivo de datos (" + cause + ")";
}

std::string ErrorReport::IntegrityFaultDetail(const std::string& finding) const {
  return "El archivo " + path_ + " está dañado: no pasó la comprobación de integridad (" + finding + ")";
}

int ErrorReport::FailReadOnly(int write_version) {
  if (write_version > 2) {
    return Done(kAccessDenied, "El archivo " + path_ + " no admite escritura: su cabecera declara una versión " +
                                   "de formato más nueva, con la que solo puede leerse");
  }
  return Done(kAccessDenied, "El sistema solo permite leer el archivo " + path_ + "; no puede escribirse en él");
}

int ErrorReport::Held() {
  return Done(kFileLocked, "El archivo " + path_ + " está tomado por otra estación, que lo mantiene en una escritura");
}

int ErrorReport::RecordChangedSinceRead() {
  return Done(kRecordChanged, "El registro cambió o fue eliminado en " + path_ + " desde que se leyó");
}

int ErrorReport::FailLayout(const std::string& difference) {
  return Done(kLayoutMismatch, "El archivo " + path_ + " no tiene la estructura declarada (" + difference + ")");
}

int ErrorReport::FailUnorderableKey(const char* key) {
  return Done(kLayoutMismatch, std::string("La clave ") + key + " usa un campo que no puede ordenarse");
}

int ErrorReport::DuplicateKey(const char* key) {
  return Done(kDuplicateKey, std::string("Ya existe un registro con ese valor de ") + key + " en " + path_);
}

int ErrorReport::OpenSoCannotReplace(int code) {
  return Done(code, "El archivo " + path_ + " está abierto y no puede reemplazarse");
}

int ErrorReport::OpenInAnotherMode(int code) {
  return Done(code, "El archivo " + path_ + " está abierto por otro en un modo que lo impide");
}

int ErrorReport::LockedByAnotherStation(int code) {
  return Done(code, "El archivo " + path_ + " está bloqueado por otra estación");
}

int ErrorReport::BadRecord(int64_t id, size_t size, uint32_t length) {
  return Done(kFileSystemError, "El registro " + std::to_string(id) + " de " + path_ + " está dañado: tiene " +
                                    std::to_string(size) + " bytes y su estructura pide " + std::to_string(length));
}

int ErrorReport::LaterPass(const std::string& pass) {
  return Done(kFileSystemError,
              "El archivo " + path_ + " guarda el avance de una conversión posterior (" + pass + ")");
}

int ErrorReport::TransactionLost() {
  return Done(kFileSystemError, "Se perdieron las escrituras de la transacción en " + path_);
}

std::string ErrorReport::LostWrites(int64_t writes, const std::string& cause) const {
  const std::string error = "error de sistema de archivos en " + path_ + ": " + cause;
  if (writes == 0) return FileSystemFault(path_, cause);
  if (writes == 1) {
    return "Se perdió 1 escritura aún no confirmada: ese registro volvió a su valor anterior (" + error + ")";
  }
  return "Se perdieron " + std::to_string(writes) +
         " escrituras aún no confirmadas: esos registros volvieron a sus valores anteriores (" + error + ")";
}

int ErrorReport::FailLostWrites(int64_t writes, const std::string& cause) {
  return Done(kFileSystemError, LostWrites(writes, cause));
}

std::string ErrorReport::RollBackFailedDetail() const {
  return "No se pudieron deshacer las escrituras no confirmadas en " + path_ +
         "; cierre el archivo para que se restablezca";
}

}  // namespace files
