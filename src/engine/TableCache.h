#pragma once

#include "engine/TextTableError.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>

class TextTable;

// Parsed tables, kept by the identity of their file (device, inode, size, modification time) rather than by
// name: giving a list its working name and back costs nothing, and an edited file is read again.
class TableCache
{
public:
    explicit TableCache(size_t capacity = 4);
    ~TableCache();

    struct FileIdentity
    {
        uint64_t device = 0, inode = 0, size = 0;
        int64_t modifiedNs = 0;
        bool operator==(const FileIdentity &) const = default;
    };
    // The identity of a file held open, without a look-up by name; nullopt when the file has been deleted or
    // replaced by a rename, or where the platform cannot tell.
    static std::optional<FileIdentity> identityOf(QFile &openFile);

    // Throws TextTableError when the file cannot be read; name is the file's name in messages (its own name
    // when it is read under a working name), the name in path when empty.
    // identity, when given, receives the identity of the file the table was read from.
    std::shared_ptr<TextTable> table(const QString &path, bool hasHeader, const QString &name = QString(),
                                     FileIdentity *identity = nullptr);

    // The columns whose index keys are read while a file is read (the first of them a file's header names),
    // for the column every statement narrows by first.
    void setKeyColumns(const QStringList &columns) { m_keyColumns = columns; }
    // Whether a large file's SHA-256 is made while it is read (on by default); off, it is made when first asked.
    void setHashWhileReading(bool on) { m_hashWhileReading = on; }

    // Called on the reading thread before a file is parsed: a seam through which tests hold a reading back.
    void setBeforeParse(std::function<void(const QString &path)> hook) { m_beforeParse = std::move(hook); }

    // How many files were parsed so far (not served from the cache).
    int parses() const { return m_parses; }

private:
    struct Entry
    {
        FileIdentity identity;
        bool hasHeader;
        std::shared_ptr<TextTable> table;
        std::optional<TextTableError> failure;
    };
    size_t m_capacity;
    std::list<Entry> m_entries; // most recently used first
    int m_parses = 0;
    QStringList m_keyColumns;
    bool m_hashWhileReading = true;
    // A list being opened on a worker thread, and given up, may still be read while the window goes on.
    std::mutex m_mutex;
    std::function<void(const QString &path)> m_beforeParse;
};
