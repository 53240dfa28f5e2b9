#include "platform/files/keyed_file_errors.h"

#include "platform/files/errors.h"
#include "platform/files/keyed_file_open.h"

namespace files {

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
      return Done(code, "Error de sistema de archivos en " + path_ +
                            (system_text.empty() ? std::string() : " (" + system_text + ")"));
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
      return Done(kFileSystemError, "Error de sistema de archivos en " + file + " (" +
                                        SystemErrorText(error) + ")");
  }
}

int ErrorReport::FailLockFile(const File& lock_file) {
  return Done(kFileSystemError, "Error de sistema de archivos en " + LockFilePath(path_) + " (" +
                                    SystemErrorText(lock_file.SystemError()) + ")");
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

int ErrorReport::TransactionLost() {
  return Done(kFileSystemError, "Se perdieron las escrituras de la transacción en " + path_);
}

std::string ErrorReport::LostWrites(int64_t writes, const std::string& cause) const {
  const std::string error = "error de sistema de archivos en " + path_ + ": " + cause;
  if (writes == 0) return "Error de sistema de archivos en " + path_ + " (" + cause + ")";
  if (writes == 1) {
    return "Se perdió 1 escritura aún no confirmada: ese registro volvió a su valor anterior (" + error + ")";
  }
  return "Se perdieron " + std::to_string(writes) +
         " escrituras aún no confirmadas: esos registros volvieron a sus valores anteriores (" + error + ")";
}

}  // namespace files
