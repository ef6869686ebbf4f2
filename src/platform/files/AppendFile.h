#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

class FileSteps;

// A file that only grows at its end, held under an exclusive lock from open() until the object goes: one writer
// at a time, across processes. The lock is the operating system's, so a process that dies loses it at once.
// A file it creates is readable by its owner alone.
class AppendFile
{
public:
    explicit AppendFile(const QString &path);
    // steps: the calls that make a new file's name durable (tests record them).
    AppendFile(const QString &path, FileSteps &steps);
    ~AppendFile();
    AppendFile(const AppendFile &) = delete;
    AppendFile &operator=(const AppendFile &) = delete;

    // Creates the file when it is missing, with its name on the disk before it returns, and waits for the lock.
    bool open(QString *error);
    qint64 size() const;
    // length bytes from offset; fewer only where the file ends.
    QByteArray read(qint64 offset, qint64 length, QString *error);
    bool truncate(qint64 size, QString *error);
    // Writes bytes at the end. When they cannot all be written the file is cut back to where it ended, so a
    // failed append leaves no piece behind.
    bool append(const QByteArray &bytes, QString *error);
    // Returns once what was written is on the disk.
    bool sync(QString *error);

private:
    bool fail(QString *error, const QString &what) const;

    QFile m_file;
    FileSteps &m_steps;
    bool m_locked = false;
};
