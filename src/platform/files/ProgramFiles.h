#pragma once

#include <QString>

// Where the program's other parts are: beside the executable in the build tree, and in the library and libexec
// folders once installed.
namespace ProgramFiles {

// The browser window's library, as QLibrary takes it (without "lib" and ".so").
QString browserLibrary();

} // namespace ProgramFiles
