// The data root and the disk names of the tables.
#pragma once

#include <string>

namespace app {

// The data root: the short form of the current folder and the step to its parent, in the
// platform's form ("C:\SUITE\RECONV\.." on Windows, "/srv/suite/reconv/.." elsewhere).
std::string DataRoot();

// Sets the name variable of every disk file, in order, to CLIP(folder), the separator and
// the file name. Tables the suite's files do not name (the temporary ones among them)
// keep an empty name.
void NameDiskFiles();

}  // namespace app
