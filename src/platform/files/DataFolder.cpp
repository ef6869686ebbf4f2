#include "platform/files/DataFolder.h"

#include "platform/files/FileSteps.h"

#include <QDir>
#include <QFileInfo>

namespace DataFolder {

QString defaultPath()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\VeyraScanData");
#else
    return QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/VeyraScanData"));
#endif
}

bool ensureExists(const QString &folder, QString *error)
{
    if (QFileInfo(folder).isDir())
        return true;
    if (QDir().mkpath(folder)) {
        // The new folder's name reaches the disk with its parent: files saved into it must not vanish with it.
        FileSteps::system().syncFolder(QFileInfo(QDir::cleanPath(QDir(folder).absolutePath())).absolutePath());
        return true;
    }
    if (error)
        *error = QStringLiteral("The folder %1 could not be created.").arg(folder);
    return false;
}

QString filePath(const QString &folder, const QString &fileName)
{
    return QDir::toNativeSeparators(QDir(folder).filePath(fileName));
}

QString folderIdentity(const QString &folder)
{
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return QDir::cleanPath(canonical.isEmpty() ? info.absoluteFilePath() : canonical);
}

QString freeFileName(const QString &path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    const QString stem = info.fileName().chopped(suffix.size());
    for (int n = 1;; ++n) {
        const QString candidate = filePath(info.path(), QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix));
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

} // namespace DataFolder
