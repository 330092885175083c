#pragma once

#include <QString>

namespace Paths {

// The directory that holds the program (tests point it at a temporary directory).
QString programDir();
void setProgramDir(const QString& dir);

// Program directory + separator + file name, joined as they are: a program in "/" gives
// "//verses.mdb".
QString versesPath();
QString favsPath();

} // namespace Paths
