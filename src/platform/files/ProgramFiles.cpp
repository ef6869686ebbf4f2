#include "platform/files/ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString canonical(const QString &folder)
{
    const QString resolved = QFileInfo(folder).canonicalFilePath();
    return resolved.isEmpty() ? QString() : QDir::cleanPath(resolved);
}

} // namespace

QString ProgramFiles::browserLibrary(const QString &programFolder, const QString &buildFolder)
{
    const QString here = canonical(programFolder);
    if (!here.isEmpty() && here == canonical(buildFolder))
        return QDir::cleanPath(programFolder + QStringLiteral("/veyra_browser"));
    return QDir::cleanPath(programFolder + QStringLiteral("/" VEYRA_BIN_TO_LIB "/veyra_browser"));
}

QString ProgramFiles::browserLibrary()
{
    return browserLibrary(QCoreApplication::applicationDirPath(), QStringLiteral(VEYRA_BUILD_PROGRAM_FOLDER));
}
