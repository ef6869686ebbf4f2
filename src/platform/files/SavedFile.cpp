#include "platform/files/SavedFile.h"

#include <QSaveFile>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace {

QString causeOf(const QSaveFile &file, int savedErrno)
{
    // After a failed commit the file's own text is often "Unknown error"; the system's number still says why.
    if (file.error() != QFileDevice::NoError && file.errorString() != QLatin1String("Unknown error"))
        return file.errorString();
    if (savedErrno != 0)
        return QString::fromLocal8Bit(std::strerror(savedErrno));
    return QStringLiteral("The file could not be written whole");
}

} // namespace

bool SavedFile::replace(const QString &path, const QByteArray &bytes, QString *error, bool ownerOnly)
{
    auto fail = [error](const QString &cause) {
        if (error)
            *error = cause;
        return false;
    };
    // Unbuffered, so that a short write is seen here: buffered, QSaveFile commits a truncated file as whole.
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(causeOf(file, errno));
    if (ownerOnly)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    qsizetype written = 0;
    while (written < bytes.size()) {
        errno = 0;
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            const QString cause = causeOf(file, errno);
            file.cancelWriting();
            return fail(cause);
        }
        written += n;
    }
    errno = 0;
    if (!file.commit())
        return fail(causeOf(file, errno));
    return true;
}

void SavedFile::surviveFileSizeLimit()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}
