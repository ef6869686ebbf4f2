#include "platform/files/ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString besideProgram(const QString &relative)
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + u'/' + relative);
}

} // namespace

QString ProgramFiles::browserLibrary()
{
    const QString built = besideProgram(QStringLiteral("libveyra_browser.so"));
    if (QFileInfo::exists(built))
        return besideProgram(QStringLiteral("veyra_browser"));
    return besideProgram(QStringLiteral(VEYRA_BIN_TO_LIB "/veyra_browser"));
}
