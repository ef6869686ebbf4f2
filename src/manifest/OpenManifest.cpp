#include "manifest/OpenManifest.h"

#include "audit/FileHistory.h"
#include "platform/files/DataFolder.h"
#include "shared/VeyraVariables.h"

#include <QFileInfo>

namespace {
bool sameFile(const QString &a, const QString &b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}
} // namespace

OpenManifest::OpenManifest(VeyraVariables &vars)
    : m_vars(vars)
{}

void OpenManifest::open(const QString &folder, const QString &fileName)
{
    m_vars.OpenManifestPath = DataFolder::filePath(folder, fileName);
    m_vars.WorkingManifestPath = m_vars.OpenManifestPath;
    m_version = KnownVersion();
}

void OpenManifest::close()
{
    m_vars.OpenManifestPath.clear();
    m_vars.WorkingManifestPath.clear();
    m_version = KnownVersion();
}

QString OpenManifest::path() const
{
    return m_vars.OpenManifestPath;
}

void OpenManifest::read(const QByteArray &sha256)
{
    m_version = KnownVersion::ofHash(m_vars.OpenManifestPath, sha256);
}

bool OpenManifest::changedBySomeoneElse(const QString &path) const
{
    return m_version.isKnown() && sameFile(m_version.path(), path) && m_version.changedOnDisk();
}

bool OpenManifest::saved(const QString &path, const QByteArray &bytes, const FileHistory &history, QString *error)
{
    const QString old = m_vars.OpenManifestPath;
    m_vars.OpenManifestPath = path;
    m_vars.WorkingManifestPath = path;
    m_version = KnownVersion::ofBytes(path, bytes);
    if (old.isEmpty() || sameFile(old, path))
        return true;
    QString cause;
    if (history.keepInsteadOfDeleting(old, &cause))
        return true;
    if (error)
        *error = QStringLiteral("The manifest %1 could not be removed after it was saved as %2.\n%3")
                     .arg(QFileInfo(old).fileName(), QFileInfo(path).fileName(), cause);
    return false;
}
