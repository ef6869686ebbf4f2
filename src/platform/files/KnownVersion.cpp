#include "platform/files/KnownVersion.h"

#include "engine/Sha256.h"

#include <QFile>
#include <QFileInfo>

namespace {

// The SHA-256 of the file at path, or empty when it cannot be read.
QByteArray hashOf(const QString &path, bool *exists)
{
    QFile file(path);
    *exists = file.exists();
    if (!*exists || !file.open(QIODevice::ReadOnly))
        return {};
    Sha256 hash;
    while (!file.atEnd()) {
        const QByteArray block = file.read(1 << 16);
        if (file.error() != QFileDevice::NoError)
            return {};
        hash.add(block.constData(), size_t(block.size()));
    }
    return hash.hex();
}

} // namespace

KnownVersion KnownVersion::of(const QString &path)
{
    KnownVersion version;
    version.m_path = path;
    version.m_sha256 = hashOf(path, &version.m_existed);
    return version;
}

KnownVersion KnownVersion::ofBytes(const QString &path, const QByteArray &bytes)
{
    KnownVersion version;
    version.m_path = path;
    version.m_existed = true;
    version.m_sha256 = Sha256::hexOf(bytes);
    return version;
}

KnownVersion KnownVersion::ofHash(const QString &path, const QByteArray &sha256)
{
    KnownVersion version;
    version.m_path = path;
    version.m_existed = true;
    version.m_sha256 = sha256;
    return version;
}

bool KnownVersion::changedOnDisk() const
{
    if (!isKnown())
        return false;
    bool exists = false;
    const QByteArray now = hashOf(m_path, &exists);
    if (!exists)
        return false;
    // A file that cannot be read now is not taken for the version known: the save then asks rather than assumes.
    return !m_existed || now.isEmpty() || now != m_sha256;
}

QDateTime KnownVersion::changedAt() const
{
    return QFileInfo(m_path).lastModified();
}

QString KnownVersion::saveOverQuestion(const QString &fileName, const QDateTime &changedAt, const QDate &today)
{
    const QString when = changedAt.date() == today ? changedAt.toString(QStringLiteral("HH:mm"))
                                                   : changedAt.toString(QStringLiteral("HH:mm 'on' yyyy-MM-dd"));
    return QStringLiteral("%1 was changed by someone else at %2 since you opened it. Save over it? Their version "
                          "will be kept in the history.")
        .arg(fileName, when);
}
