#include "platform/TableCache.h"

#include "platform/TextTable.h"
#include "platform/TextTableError.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <QDateTime>
#else
#include <sys/stat.h>
#endif

namespace {

std::optional<TableCache::FileIdentity> identify(const QString &path)
{
#ifdef Q_OS_WIN
    // Windows keeps no inode we can reach cheaply; size and times tell an edited file apart well enough.
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    return TableCache::FileIdentity{0, uint64_t(info.birthTime().toMSecsSinceEpoch()), uint64_t(info.size()),
                                    info.lastModified().toMSecsSinceEpoch() * 1000000};
#else
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return TableCache::FileIdentity{uint64_t(st.st_dev), uint64_t(st.st_ino), uint64_t(st.st_size),
                                    int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
#endif
}

// The file's bytes: mapped where the platform lets a mapped file be renamed, read whole elsewhere.
struct FileBytes
{
    QFile file;
    QByteArray data;
    const char *begin = nullptr;
    size_t size = 0;
};

std::shared_ptr<FileBytes> load(const QString &path)
{
    auto bytes = std::make_shared<FileBytes>();
    bytes->file.setFileName(path);
    if (!bytes->file.open(QIODevice::ReadOnly))
        throw TextTableError(TextTableError::InvalidPath,
                             QStringLiteral("The file %1 cannot be read: %2").arg(path, bytes->file.errorString()));
    bytes->size = size_t(bytes->file.size());
#ifndef Q_OS_WIN
    if (bytes->size > 0) {
        if (uchar *mapped = bytes->file.map(0, qint64(bytes->size))) {
            bytes->begin = reinterpret_cast<const char *>(mapped);
            return bytes;
        }
    }
#endif
    bytes->data = bytes->file.readAll();
    bytes->file.close();
    bytes->begin = bytes->data.constData();
    bytes->size = size_t(bytes->data.size());
    return bytes;
}

} // namespace

TableCache::TableCache(size_t capacity)
    : m_capacity(std::max<size_t>(capacity, 1))
{}

TableCache::~TableCache() = default;

std::shared_ptr<TextTable> TableCache::table(const QString &path, bool hasHeader)
{
    const auto identity = identify(path);
    if (!identity)
        throw TextTableError(TextTableError::TableNotFound,
                             QStringLiteral("The file %1 could not be found.").arg(path));
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->identity == *identity && it->hasHeader == hasHeader) {
            m_entries.splice(m_entries.begin(), m_entries, it);
            return it->table;
        }
    }
    const std::shared_ptr<FileBytes> bytes = load(path);
    auto table = std::make_shared<TextTable>(std::string_view(bytes->begin, bytes->size), bytes, hasHeader);
    ++m_parses;
    m_entries.push_front({*identity, hasHeader, table});
    if (m_entries.size() > m_capacity)
        m_entries.pop_back();
    return table;
}
