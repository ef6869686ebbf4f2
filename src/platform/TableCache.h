#pragma once

#include "platform/TextTableError.h"

#include <QString>

#include <cstdint>
#include <list>
#include <memory>
#include <optional>

class TextTable;

// Parsed tables, kept by the identity of their file (device, inode, size, modification time) rather than by
// name: giving a list its working name and back costs nothing, and an edited file is read again.
class TableCache
{
public:
    explicit TableCache(size_t capacity = 4);
    ~TableCache();

    // Throws TextTableError when the file cannot be read; name is the file's name in messages (its own name
    // when it is read under a working name), the name in path when empty.
    std::shared_ptr<TextTable> table(const QString &path, bool hasHeader, const QString &name = QString());

    // How many files were parsed so far (not served from the cache).
    int parses() const { return m_parses; }

    struct FileIdentity
    {
        uint64_t device = 0, inode = 0, size = 0;
        int64_t modifiedNs = 0;
        bool operator==(const FileIdentity &) const = default;
    };

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
};
