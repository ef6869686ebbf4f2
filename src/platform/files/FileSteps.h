#pragma once

#include <QString>

// The file-system calls a durable save is made of. The program uses the operating system's; a test puts a
// recorder in between to pin their order, since the order is what makes a save survive a power cut.
class FileSteps
{
public:
    virtual ~FileSteps() = default;

    // A new file that must not exist yet, open for writing; -1 on failure. mode goes through the umask unless
    // exactMode (a file that takes the place of another keeps that one's mode).
    virtual int createNew(const QString &path, int mode, bool exactMode) = 0;
    virtual bool write(int handle, const char *bytes, qint64 size) = 0;
    // Returns once the file's bytes are on the disk.
    virtual bool sync(int handle) = 0;
    virtual bool close(int handle) = 0;
    // Puts from in the place of to, replacing it in one step.
    virtual bool rename(const QString &from, const QString &to) = 0;
    virtual bool remove(const QString &path) = 0;
    virtual bool makeFolder(const QString &path, int mode) = 0;
    // Returns once the names in the folder (a rename, a new or removed file) are on the disk.
    virtual bool syncFolder(const QString &folder) = 0;
    // The operating system's words for the last failure.
    virtual QString lastError() const = 0;

    static FileSteps &system();
};
