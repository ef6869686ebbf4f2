#include "platform/files/AppendFile.h"

#include "platform/files/FileSteps.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

AppendFile::AppendFile(const QString &path)
    : AppendFile(path, FileSteps::system())
{}

AppendFile::AppendFile(const QString &path, FileSteps &steps)
    : m_file(path)
    , m_steps(steps)
{}

AppendFile::~AppendFile()
{
    if (m_locked) {
#ifdef Q_OS_WIN
        OVERLAPPED whole{};
        UnlockFileEx(HANDLE(_get_osfhandle(m_file.handle())), 0, MAXDWORD, MAXDWORD, &whole);
#else
        flock(m_file.handle(), LOCK_UN);
#endif
    }
}

bool AppendFile::fail(QString *error, const QString &what) const
{
    if (error) {
        const QString cause = errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : m_file.errorString();
        *error = QStringLiteral("%1 %2: %3").arg(what, m_file.fileName(), cause);
    }
    return false;
}

bool AppendFile::open(QString *error)
{
    const bool existed = QFileInfo::exists(m_file.fileName());
    errno = 0;
    // Unbuffered: every read and write goes straight to the file, whose end may move between them. A new file is
    // made owner-only at once, never readable by others for a moment.
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return fail(error, QStringLiteral("Cannot open"));
    // A line synced into a file whose name a power cut takes back is lost all the same. A folder that cannot be
    // synced (some network file systems) does not stop the append.
    if (!existed)
        m_steps.syncFolder(QFileInfo(m_file.fileName()).absolutePath());
    errno = 0;
#ifdef Q_OS_WIN
    OVERLAPPED whole{};
    if (!LockFileEx(HANDLE(_get_osfhandle(m_file.handle())), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole))
        return fail(error, QStringLiteral("Cannot lock"));
#else
    int result;
    do
        result = flock(m_file.handle(), LOCK_EX);
    while (result != 0 && errno == EINTR);
    if (result != 0)
        return fail(error, QStringLiteral("Cannot lock"));
#endif
    m_locked = true;
    return true;
}

qint64 AppendFile::size() const
{
    return m_file.size();
}

QByteArray AppendFile::read(qint64 offset, qint64 length, QString *error)
{
    errno = 0;
    if (!m_file.seek(offset)) {
        fail(error, QStringLiteral("Cannot read"));
        return {};
    }
    QByteArray bytes = m_file.read(length);
    if (bytes.size() < length && m_file.error() != QFileDevice::NoError)
        fail(error, QStringLiteral("Cannot read"));
    return bytes;
}

bool AppendFile::truncate(qint64 size, QString *error)
{
    errno = 0;
    return m_file.resize(size) || fail(error, QStringLiteral("Cannot shorten"));
}

bool AppendFile::append(const QByteArray &bytes, QString *error)
{
    const qint64 end = m_file.size();
    errno = 0;
    if (!m_file.seek(end))
        return fail(error, QStringLiteral("Cannot write"));
    qint64 written = 0;
    while (written < bytes.size()) {
        errno = 0;
        const qint64 n = m_file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            fail(error, QStringLiteral("Cannot write"));
            m_file.resize(end);
            return false;
        }
        written += n;
    }
    return true;
}

bool AppendFile::sync(QString *error)
{
    errno = 0;
#ifdef Q_OS_WIN
    const bool synced = _commit(m_file.handle()) == 0;
#else
    const bool synced = fsync(m_file.handle()) == 0;
#endif
    return synced || fail(error, QStringLiteral("Cannot write to the disk"));
}
