#pragma once

#include <QString>

// Where the program's other parts are: beside the executable in the build tree, and only in the library folder
// once installed.
namespace ProgramFiles {

// The browser window's library, as QLibrary takes it (without "lib" and ".so"), for a program whose executable is
// in programFolder: beside it when that is the build tree's own program folder (buildFolder), otherwise only
// where the package installs it. An installed program never looks in a folder such as /usr/src or its own bin.
QString browserLibrary(const QString &programFolder, const QString &buildFolder);
// The same for this program.
QString browserLibrary();

} // namespace ProgramFiles
