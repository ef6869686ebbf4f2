#pragma once

#include "platform/files/FileSteps.h"
#include "platform/files/SavedFile.h"

#include <QFileInfo>
#include <QHash>
#include <QStringList>

#include <functional>

// The real file-system calls, each noted as a short line ("create T", "rename T Crew-1", "sync folder lists") so
// that a test can compare a save's order with a written-out list. T is a save's temporary file; other files and
// folders go by their own name. A step named in failing fails with failure's words, without being made.
class RecordingSteps : public FileSteps
{
public:
    QStringList steps;
    QString failing; // "sync T", "sync folder lists", ...
    QString failure = QStringLiteral("Input/output error");
    // Called before each step is made, with its line: a test looks at the disk as that step finds it.
    std::function<void(const QString &step)> before;

    int createNew(const QString &path, int mode, bool exactMode) override
    {
        const QString step = QStringLiteral("create ") + label(path);
        if (!note(step))
            return -1;
        const int handle = real().createNew(path, mode, exactMode);
        m_names.insert(handle, label(path));
        return handle;
    }
    bool write(int handle, const char *bytes, qint64 size) override
    {
        return note(QStringLiteral("write ") + m_names.value(handle)) && pass(real().write(handle, bytes, size));
    }
    bool sync(int handle) override
    {
        return note(QStringLiteral("sync ") + m_names.value(handle)) && pass(real().sync(handle));
    }
    bool close(int handle) override
    {
        return note(QStringLiteral("close ") + m_names.value(handle)) && pass(real().close(handle));
    }
    bool rename(const QString &from, const QString &to) override
    {
        return note(QStringLiteral("rename %1 %2").arg(label(from), label(to))) && pass(real().rename(from, to));
    }
    bool remove(const QString &path) override
    {
        return note(QStringLiteral("remove ") + label(path)) && pass(real().remove(path));
    }
    bool makeFolder(const QString &path, int mode) override
    {
        return note(QStringLiteral("make folder ") + label(path)) && pass(real().makeFolder(path, mode));
    }
    bool syncFolder(const QString &folder) override
    {
        return note(QStringLiteral("sync folder ") + label(folder)) && pass(real().syncFolder(folder));
    }
    QString lastError() const override { return m_lastError; }

private:
    static FileSteps &real() { return FileSteps::system(); }
    static QString label(const QString &path)
    {
        const QString name = QFileInfo(path).fileName();
        return SavedFile::isTemporaryName(name) ? QStringLiteral("T") : name;
    }
    bool note(const QString &step)
    {
        steps.append(step);
        if (before)
            before(step);
        if (step != failing)
            return true;
        m_lastError = failure;
        return false;
    }
    bool pass(bool done)
    {
        if (!done)
            m_lastError = real().lastError();
        return done;
    }

    QHash<int, QString> m_names;
    QString m_lastError;
};
