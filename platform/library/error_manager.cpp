#include "platform/library/error_manager.h"

#include <utility>

namespace library {
namespace {

struct Message {
  int id;
  int level;
  const char* title;
  const char* text;
};

constexpr Message kMessages[] = {
    {kMsgCreateFailed, kLevelFatal, "Error de creación de archivo",
     "No se pudo crear el archivo %File. Error: %ErrorText."},
    {kMsgNotInFile, kLevelNotify, "Error de contenido de campo",
     "El valor del campo %Field debe hallarse en el archivo %Message."},
    {kMsgNotInList, kLevelNotify, "Error en Valor",
     "El valor del campo %Field debe estar en la lista: %Message."},
    {kMsgOutOfRange, kLevelNotify, "Error de rango",
     "El valor del campo: %Field debe estar entre %Message."},
    {kMsgAccessFailed, kLevelFatal, "Error de acceso de archivo",
     "No se pudo abrir el archivo %File. Error: %ErrorText."},
    {kMsgWriteFailed, kLevelNotify, "Error de grabación de archivo",
     "No se pudo grabar en el archivo %File. Error: %ErrorText."},
    {kMsgChangeUndone, kLevelNotify, "Error de grabación de archivo",
     "No se pudo grabar en el archivo %File. Error: %ErrorText. No se modificó ningún "
     "registro."},
    {kMsgDeleteRestricted, kLevelNotify, "Error de eliminación: registros dependientes",
     "Este registro es referenciado por %File. Este registro no puede ser eliminado mientras "
     "exista la referencia."},
    {kMsgUpdateRestricted, kLevelNotify, "Error de Actualización: registros dependientes",
     "Este registro es referenciado por %File. Campos enlazados han sido restringidos de "
     "modificación y retornado a sus valores originales."},
    {kMsgUsedBeforeOpen, kLevelProgram, "Error de uso de archivo",
     "Se intentó usar el archivo (%File) antes de abrirlo"},
};

constexpr Message kUnknown = {0, kLevelProgram, "Error", "Error sin mensaje (%Message)."};

const Message& Find(int id) {
  for (const Message& m : kMessages) {
    if (m.id == id) return m;
  }
  return kUnknown;
}

// Replaces every placeholder of `text` by its value. Values are not scanned again, so a
// value that itself contains "%File" stays as it is.
std::string Fill(std::string_view text,
                 std::initializer_list<std::pair<std::string_view, std::string_view>> values) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    bool replaced = false;
    if (text[i] == '%') {
      for (const auto& [name, value] : values) {
        if (text.substr(i, name.size()) == name) {
          out += value;
          i += name.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

}  // namespace

ErrorManager::ErrorManager() = default;

void ErrorManager::SetDisplay(MessageDisplay* display) {
  std::lock_guard lock(mutex_);
  display_ = display;
}

ErrorManager::ThreadState& ErrorManager::Mine() { return threads_[std::this_thread::get_id()]; }

void ErrorManager::SetField(std::string_view caption) {
  std::lock_guard lock(mutex_);
  Mine().field = caption;
}

void ErrorManager::SetProcedureName(std::string_view name, bool remove) {
  std::lock_guard lock(mutex_);
  std::vector<std::string>& stack = Mine().procedures;
  if (!remove) {
    stack.emplace_back(name);
  } else if (!stack.empty()) {
    stack.pop_back();
  }
}

int ErrorManager::ThrowMessage(int id, std::string_view message) {
  return Raise(id, {{}, {}, message});
}

int ErrorManager::ThrowFile(int id, std::string_view file, std::string_view error_text) {
  return Raise(id, {file, error_text, {}});
}

int ErrorManager::Raise(int id, const Placeholders& values) {
  const Message& m = Find(id);
  ShownMessage shown;
  MessageDisplay* display;
  {
    std::lock_guard lock(mutex_);
    ThreadState& mine = Mine();
    std::string procedure = mine.procedures.empty() ? std::string() : mine.procedures.back();
    auto fill = [&](std::string_view text) {
      return Fill(text, {{"%File", values.file},
                         {"%ErrorText", values.error_text},
                         {"%Field", mine.field},
                         {"%Message", values.message},
                         {"%Procedure", procedure}});
    };
    shown = {id, m.level, fill(m.title), fill(m.text), procedure};
    history_.push_back(shown);
    display = display_;
  }
  // Shown outside the lock: a display may run a modal loop that reports errors itself.
  if (display != nullptr) display->Show(shown.level, shown.title, shown.text);
  return shown.level;
}

std::vector<ShownMessage> ErrorManager::History() const {
  std::lock_guard lock(mutex_);
  return history_;
}

}  // namespace library
