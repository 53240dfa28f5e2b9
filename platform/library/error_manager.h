// The error manager: a table of messages by id, filled with the placeholders %File,
// %ErrorText, %Field, %Message and %Procedure, shown through one display and kept in a
// history. One manager serves the whole program; the field caption and the stack of running
// procedure names belong to the calling thread.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace library {

// Levels that operations return.
enum Level : int {
  kLevelBenign = 0,
  kLevelUser = 1,
  kLevelProgram = 2,
  kLevelFatal = 3,
  kLevelCancel = 4,
  kLevelNotify = 5,
};

enum MessageId : int {
  kMsgCreateFailed = 12,
  kMsgNotInFile = 16,
  kMsgNotInList = 17,
  kMsgOutOfRange = 18,
  kMsgAccessFailed = 26,
  kMsgWriteFailed = 29,
  kMsgChangeUndone = 30,  // a write of an update or delete failed and nothing was changed
  kMsgDeleteRestricted = 33,
  kMsgUpdateRestricted = 34,
  kMsgUsedBeforeOpen = 42,
};

// Where messages reach the user. The window layer shows them in message boxes.
class MessageDisplay {
 public:
  virtual ~MessageDisplay() = default;
  virtual void Show(int level, std::string_view title, std::string_view text) = 0;
};

struct ShownMessage {
  int id;
  int level;
  std::string title;
  std::string text;
  std::string procedure;  // the innermost running procedure, or empty
};

class ErrorManager {
 public:
  ErrorManager();
  ErrorManager(const ErrorManager&) = delete;
  ErrorManager& operator=(const ErrorManager&) = delete;

  // Without a display, messages go to the history only.
  void SetDisplay(MessageDisplay* display);

  // The caption that %Field shows in this thread's next messages.
  void SetField(std::string_view caption);
  // remove false pushes `name` on this thread's stack of running procedures; remove true
  // drops the latest entry (name is then ignored).
  void SetProcedureName(std::string_view name, bool remove);

  // Shows message `id` with %Message := message and returns its level.
  int ThrowMessage(int id, std::string_view message);
  // Shows message `id` about a file: %File := file, %ErrorText := error_text.
  int ThrowFile(int id, std::string_view file, std::string_view error_text);

  std::vector<ShownMessage> History() const;

 private:
  struct ThreadState {
    std::string field;
    std::vector<std::string> procedures;
  };
  struct Placeholders {
    std::string_view file, error_text, message;
  };
  int Raise(int id, const Placeholders& values);
  ThreadState& Mine();  // the calling thread's state; call with mutex_ held

  mutable std::mutex mutex_;
  MessageDisplay* display_ = nullptr;
  std::map<std::thread::id, ThreadState> threads_;
  std::vector<ShownMessage> history_;
};

}  // namespace library
