#pragma once

#include <QByteArray>
#include <QString>

namespace Paths {

// The directory that holds the running executable, found from /proc/self/exe (so a symbolic
// link such as PREFIX/bin/tessaline leads to the real program directory), or the one a test
// set. Never empty: throws RuntimeError when the directory cannot be found or named.
QString programDir();
// Tests point the program at a folder of their own; an empty one fails as a missing folder.
void setProgramDir(const QString& dir);
// Back to the executable's directory.
void resetProgramDir();

// The directory part of an executable's absolute path, as the kernel reports its bytes.
// Throws RuntimeError when the path is not absolute or does not survive decoding (a folder
// name that is not valid in the file-name encoding would lead every file elsewhere).
QString directoryOfExecutable(const QByteArray& executablePath);

// The file whose presence beside the program marks a copy that was installed (the install
// puts it there). Such a copy keeps each user's verses.mdb and favs.ini in the user's own data
// folder; any other copy (a build, a folder on a USB stick) keeps them beside itself.
inline constexpr auto InstalledMarker = "installed";

// The folder that holds verses.mdb and favs.ini: the program directory, or for an installed
// copy $XDG_DATA_HOME/tessaline (~/.local/share/tessaline by default). That folder is made on
// the user's first start and filled with the verses.mdb and favs.ini found beside the program;
// one that is there and not empty is left as it is. Throws RuntimeError when it cannot be made.
QString dataDir();

// Data folder + separator + file name, joined as they are: a program in "/" gives
// "//verses.mdb".
QString versesPath();
QString favsPath();

} // namespace Paths
