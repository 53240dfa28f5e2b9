// The class library's settings store on an INI file. The store keeps the list of the
// sections it holds in the file itself (section "__Dont_Touch_Me__", key "Sectors",
// names separated by commas): Init reads that list and Kill writes it back.
#pragma once

#include <string>
#include <vector>

namespace library {

class IniStore {
 public:
  // Opens the store on an INI file (a name without a folder lies in the current folder)
  // and reads its list of sections. A missing file or key gives an empty list.
  void Init(std::string file_name);

  // Writes the list of sections back to the file, creating the file when missing and
  // keeping every other line of it as it was, then closes the store. Returns false when
  // the file could not be written; it is then left as it was. Nothing happens, and true
  // is returned, when the store is not open.
  bool Kill();

  bool IsOpen() const { return open_; }
  const std::string& FileName() const { return file_name_; }
  const std::vector<std::string>& Sections() const { return sections_; }

 private:
  bool open_ = false;
  std::string file_name_;
  std::vector<std::string> sections_;
};

}  // namespace library
