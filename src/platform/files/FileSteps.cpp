#include "platform/files/FileSteps.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

class SystemSteps final : public FileSteps
{
public:
    int createNew(const QString &path, int mode, bool exactMode) override
    {
        const QByteArray name = QFile::encodeName(path);
#ifdef Q_OS_WIN
        Q_UNUSED(exactMode);
        const int handle = ::_open(name.constData(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                                   (mode & 0200) ? _S_IREAD | _S_IWRITE : _S_IREAD);
#else
        const int handle = ::open(name.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode);
        // A file that replaces another gets its mode as it is, whatever the umask would make of it.
        if (handle >= 0 && exactMode && ::fchmod(handle, mode) != 0) {
            noteError();
            ::close(handle);
            ::unlink(name.constData());
            return -1;
        }
#endif
        if (handle < 0)
            noteError();
        return handle;
    }

    bool write(int handle, const char *bytes, qint64 size) override
    {
        while (size > 0) {
#ifdef Q_OS_WIN
            const auto n = ::_write(handle, bytes, unsigned(std::min<qint64>(size, 1 << 30)));
#else
            const auto n = ::write(handle, bytes, size_t(size));
#endif
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return noteError();
            bytes += n;
            size -= n;
        }
        return true;
    }

    bool sync(int handle) override
    {
#ifdef Q_OS_WIN
        return ::_commit(handle) == 0 || noteError();
#else
        return ::fsync(handle) == 0 || noteError();
#endif
    }

    bool close(int handle) override
    {
#ifdef Q_OS_WIN
        return ::_close(handle) == 0 || noteError();
#else
        return ::close(handle) == 0 || noteError();
#endif
    }

    bool rename(const QString &from, const QString &to) override
    {
#ifdef Q_OS_WIN
        // QFile::rename does not replace; the platform's own call does, in one step, and returns once the new name
        // is on the disk.
        const auto wide = [](const QString &path) { return QDir::toNativeSeparators(path).toStdWString(); };
        if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        m_lastError = QStringLiteral("The file could not be put in place (error %1)").arg(GetLastError());
        return false;
#else
        return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0 || noteError();
#endif
    }

    bool remove(const QString &path) override
    {
#ifdef Q_OS_WIN
        return QFile::remove(path) || noteError();
#else
        return ::unlink(QFile::encodeName(path).constData()) == 0 || noteError();
#endif
    }

    bool makeFolder(const QString &path, int mode) override
    {
#ifdef Q_OS_WIN
        Q_UNUSED(mode);
        return QDir().mkdir(path) || noteError();
#else
        return ::mkdir(QFile::encodeName(path).constData(), mode_t(mode)) == 0 || noteError();
#endif
    }

    bool syncFolder(const QString &folder) override
    {
#ifdef Q_OS_WIN
        // NTFS journals its names itself; a folder cannot be opened for a flush here.
        Q_UNUSED(folder);
        return true;
#else
        const int handle = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (handle < 0)
            return noteError();
        const bool synced = ::fsync(handle) == 0 || noteError();
        ::close(handle);
        return synced;
#endif
    }

    QString lastError() const override
    {
        return m_lastError;
    }

private:
    bool noteError()
    {
        m_lastError = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }

    QString m_lastError;
};

} // namespace

FileSteps &FileSteps::system()
{
    // Holds only the last error's words; each thread gets its own.
    thread_local SystemSteps steps;
    return steps;
}
