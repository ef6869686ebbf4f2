#include "platform/files/ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// The first of the places that holds a file; the installed place when none does, so an error names it.
QString firstExisting(const QStringList &candidates, const QString &installed)
{
    for (const QString &path : candidates) {
        if (QFileInfo::exists(path))
            return path;
    }
    return installed;
}

QString besideProgram(const QString &relative)
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + u'/' + relative);
}

} // namespace

QString ProgramFiles::spreadsheetHelper()
{
    const QString installed = besideProgram(QStringLiteral(VEYRA_BIN_TO_LIBEXEC "/veyracheck-sheet"));
    // The tools of the build tree sit in a folder of their own, next to the program's.
    return firstExisting(
        {besideProgram(QStringLiteral("veyracheck-sheet")), besideProgram(QStringLiteral("../src/veyracheck-sheet"))},
        installed);
}

QString ProgramFiles::browserLibrary()
{
    const QString built = besideProgram(QStringLiteral("libveyra_browser.so"));
    if (QFileInfo::exists(built))
        return besideProgram(QStringLiteral("veyra_browser"));
    return besideProgram(QStringLiteral(VEYRA_BIN_TO_LIB "/veyra_browser"));
}
