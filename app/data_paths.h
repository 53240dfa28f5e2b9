// The data root and the disk names of the tables.
#pragma once

#include <string>

namespace app {

// The data root: the short form of the current folder and the step to its parent, in the
// platform's form ("C:\SUITE\RECONV\.." on Windows, "/srv/suite/reconv/.." elsewhere).
std::string DataRoot();

// GLO:RUTAPROG := the data root. Returns empty, or the message that refuses a data root
// too long for the variable (a cut one would name another folder).
[[nodiscard]] std::string SetDataRoot();

// Sets the name variable of every disk file, in order, to CLIP(folder), the separator and
// the file name. Tables the suite's files do not name (the temporary ones among them)
// keep an empty name. Returns empty, or the message that refuses the first name too long
// for its variable, naming the folder setting and the file; names after it stay unset.
[[nodiscard]] std::string NameDiskFiles();

}  // namespace app
