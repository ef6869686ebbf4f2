#include "platform/files/SavedFile.h"

#include "platform/files/FileSteps.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSysInfo>

#include <cerrno>
#include <csignal>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

constexpr auto TemporaryPrefix = ".veyra-saving.";

// Host names go into file names: dots would split the name's fields, and some are long.
QString machineTag()
{
    QString host = QSysInfo::machineHostName().left(40);
    for (QChar &c : host) {
        if (!c.isLetterOrNumber() && c != u'-')
            c = u'_';
    }
    return host.isEmpty() ? QStringLiteral("_") : host;
}

// ".veyra-saving.<machine>.<process>.<random>.<start of the name>": hidden from the file lists, which match
// "Veyra_*.csv" and "Manifest-*", and telling which process made it.
QString temporaryPath(const QFileInfo &target)
{
    static const QString alphabet = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789");
    QString random;
    for (int i = 0; i < 8; ++i)
        random += alphabet[QRandomGenerator::global()->bounded(int(alphabet.size()))];
    const QString name = QStringLiteral("%1%2.%3.%4.%5")
                             .arg(QLatin1String(TemporaryPrefix), machineTag())
                             .arg(QCoreApplication::applicationPid())
                             .arg(random, target.fileName().left(60));
    return QDir(target.absolutePath()).filePath(name);
}

const QRegularExpression &temporaryPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^\\.veyra-saving\\.([^.]+)\\.(\\d+)\\.[a-z0-9]{8}\\."));
    return pattern;
}

int modeFor(const QFileInfo &existing, bool ownerOnly)
{
    if (ownerOnly)
        return 0600;
    if (!existing.exists())
        return 0666;
    const QFileDevice::Permissions p = existing.permissions();
    int mode = 0;
    const std::pair<QFileDevice::Permission, int> bits[] = {
        {QFileDevice::ReadOwner, 0400}, {QFileDevice::WriteOwner, 0200}, {QFileDevice::ExeOwner, 0100},
        {QFileDevice::ReadGroup, 0040}, {QFileDevice::WriteGroup, 0020}, {QFileDevice::ExeGroup, 0010},
        {QFileDevice::ReadOther, 0004}, {QFileDevice::WriteOther, 0002}, {QFileDevice::ExeOther, 0001}};
    for (const auto &[permission, bit] : bits) {
        if (p & permission)
            mode |= bit;
    }
    return mode;
}

#ifdef Q_OS_LINUX
// When process pid started, from the kernel's own count of clock ticks since boot; invalid when there is no such
// process.
QDateTime processStart(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    QFile system(QStringLiteral("/proc/stat"));
    if (!stat.open(QIODevice::ReadOnly) || !system.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = stat.readAll();
    // The command's name may hold blanks and brackets: the fields are counted after its last ')'.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20)
        return {};
    qint64 boot = -1;
    for (const QByteArray &line : system.readAll().split('\n')) {
        if (line.startsWith("btime "))
            boot = line.mid(6).trimmed().toLongLong();
    }
    const long ticks = ::sysconf(_SC_CLK_TCK);
    if (boot < 0 || ticks <= 0)
        return {};
    return QDateTime::fromSecsSinceEpoch(boot + fields[19].toLongLong() / ticks);
}
#endif

// Whether the process that made a temporary file of this machine is gone: no such process, or one started after
// the file was last written (its number was given again).
bool makerIsGone(qint64 pid, const QDateTime &written)
{
#ifdef Q_OS_LINUX
    if (!QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)))
        return true;
    const QDateTime started = processStart(pid);
    // The start is known to the second: only a process that started clearly later is another one.
    return started.isValid() && started > written.addSecs(2);
#elif defined(Q_OS_UNIX)
    Q_UNUSED(written);
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
#else
    Q_UNUSED(pid);
    Q_UNUSED(written);
    return false;
#endif
}

} // namespace

bool SavedFile::replace(const QString &path, const QByteArray &bytes, QString *error, bool ownerOnly)
{
    return replace(path, bytes, error, ownerOnly, FileSteps::system());
}

bool SavedFile::replace(const QString &path, const QByteArray &bytes, QString *error, bool ownerOnly, FileSteps &steps,
                        bool throughLink)
{
    auto fail = [error](const QString &cause) {
        if (error)
            *error = cause;
        return false;
    };
    QFileInfo target(path);
    // A link is written through, to the file it names, as it always was; or, asked not to, replaced: the rename
    // takes the link's name and never follows it.
    const bool replacingLink = target.isSymLink() && !throughLink;
    if (target.isSymLink() && throughLink)
        target = QFileInfo(target.symLinkTarget());
    // A link replaced lends the new file nothing of what it named: it is made as a new file is.
    const QFileInfo existing = replacingLink ? QFileInfo() : target;
    const QString temporary = temporaryPath(target);
    const int handle = steps.createNew(temporary, modeFor(existing, ownerOnly), existing.exists() && !ownerOnly);
    if (handle < 0)
        return fail(steps.lastError());
    if (!steps.write(handle, bytes.constData(), bytes.size()) || !steps.sync(handle)) {
        const QString cause = steps.lastError();
        steps.close(handle);
        steps.remove(temporary);
        return fail(cause);
    }
    if (!steps.close(handle) || !steps.rename(temporary, target.absoluteFilePath())) {
        const QString cause = steps.lastError();
        steps.remove(temporary);
        return fail(cause);
    }
    // The new name is durable only once its folder is; where the folder cannot be synced the file is saved all
    // the same, as it would be on a system without the call.
    steps.syncFolder(target.absolutePath());
    return true;
}

bool SavedFile::isTemporaryName(const QString &fileName)
{
    return temporaryPattern().match(fileName).hasMatch();
}

QStringList SavedFile::removeLeftovers(const QString &folder)
{
    QStringList removed;
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return removed;
    const QString here = machineTag();
    const QDateTime dayAgo = QDateTime::currentDateTime().addDays(-1);
    for (const QFileInfo &file :
         dir.entryInfoList({QLatin1String(TemporaryPrefix) + u'*'}, QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch match = temporaryPattern().match(file.fileName());
        if (!match.hasMatch() || file.isSymLink())
            continue;
#ifdef Q_OS_UNIX
        if (file.ownerId() != ::getuid())
            continue; // another user's save: theirs to clean
#endif
        const QDateTime written = file.lastModified();
        const bool gone = match.captured(1) == here ? makerIsGone(match.captured(2).toLongLong(), written)
                                                    : written < dayAgo; // another machine's processes are not seen
        if (gone && QFile::remove(file.absoluteFilePath()))
            removed.append(QDir::toNativeSeparators(file.absoluteFilePath()));
    }
    return removed;
}

void SavedFile::surviveFileSizeLimit()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}
