#include "engine/TextTable.h"

#include "engine/ComparisonKey.h"
#include "engine/LargePages.h"
#include "engine/Sha256.h"
#include "engine/TextTableDetail.h"
#include "engine/TextTableError.h"
#include "shared/TextEncoding.h"

#include <QByteArrayView>
#include <QStringDecoder>

#include <algorithm>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <atomic>
#include <bit>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <tuple>

using namespace TextTableDetail;

namespace {

void appendUtf8(QByteArray &out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// UTF-16 to UTF-8; false at the first unit that is no character (a lone surrogate, a half unit at the end),
// with out holding what came before it.
bool utf16ToUtf8(std::string_view bytes, bool bigEndian, QByteArray &out)
{
    out.reserve(qsizetype(bytes.size()));
    auto unit = [&](size_t i) -> char16_t {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a);
    };
    size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00) {
            if (i + 3 >= bytes.size())
                return false;
            const char16_t low = unit(i + 2);
            if (low < 0xDC00 || low >= 0xE000)
                return false;
            appendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (low - 0xDC00));
            i += 2;
        } else if (u >= 0xDC00 && u < 0xE000) {
            return false;
        } else {
            appendUtf8(out, u);
        }
    }
    return i == bytes.size();
}

size_t linesIn(std::string_view text)
{
    size_t lines = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            ++lines;
    }
    return lines;
}

// A file that grew shorter while it was read: what came is not the file, and a shorter table would drop its end
// in silence. The next statement reads it again, as it is then.
void requireWhole(const QString &name, qint64 expected, qint64 got)
{
    if (got < expected)
        throw TextTableError(TextTableError::InvalidPath,
                             QStringLiteral("%1 changed while it was read: %2 of its %3 bytes could be read.")
                                 .arg(name)
                                 .arg(got)
                                 .arg(expected));
}

[[noreturn]] void refuse(const QString &what, const QString &name, size_t line)
{
    throw TextTableError(TextTableError::BadFormat, QStringLiteral("%1 in %2 at line %3").arg(what, name).arg(line));
}

} // namespace

// How far a file being read has come: the bytes filled so far, and whether they are all there is. Counted with
// the done mark in one atomic, so a wait can never miss the end. A wait sleeps on a condition variable: the
// atomic's own wait spins through sched_yield first, which costs a core the reader needs on a small machine.
struct TextTable::Arrival
{
    std::atomic<uint64_t> progress{0}; // bytes filled (of the whole buffer, BOM included) * 2, + 1 when done
    std::mutex mutex;
    std::condition_variable advanced;
    size_t offset = 0; // where content() starts in the buffer
    bool utf8 = true;
    size_t nul = SIZE_MAX; // the first NUL byte, in the buffer
    QString readError;
    QByteArray sha256; // of the whole file, once read

    // Content bytes ready beyond have, or all of them: {ready, final}.
    std::pair<size_t, bool> waitBeyond(size_t have)
    {
        while (true) {
            const uint64_t now = progress.load(std::memory_order_acquire);
            const size_t filled = std::max(size_t(now >> 1), offset) - offset;
            if (filled > have || (now & 1))
                return {filled, (now & 1) != 0};
            std::unique_lock lock(mutex);
            advanced.wait(lock, [&] { return progress.load(std::memory_order_acquire) != now; });
        }
    }

    // Set under the lock, so that a wait between its look and its sleep cannot miss it.
    void advance(uint64_t value)
    {
        {
            std::lock_guard lock(mutex);
            progress.store(value, std::memory_order_release);
        }
        advanced.notify_one();
    }
};

TextTable::TextTable(QByteArray bytes, bool hasHeader, const QString &name, const TextTableThresholds &thresholds)
    : m_data(std::move(bytes))
    , m_thresholds(thresholds)
{
    const QString fileName = name.isEmpty() ? QStringLiteral("the file") : name;
    std::string_view raw(m_data.constData(), size_t(m_data.size()));
    if (raw.starts_with("\xFF\xFE") || raw.starts_with("\xFE\xFF")) {
        const bool bigEndian = raw[0] == '\xFE';
        m_sha256 = Sha256::hexOf(m_data); // the bytes as they came, before they are turned into UTF-8
        m_encoding = bigEndian ? Encoding::Utf16BE : Encoding::Utf16LE;
        QByteArray utf8;
        if (!utf16ToUtf8(raw.substr(2), bigEndian, utf8))
            refuse(QStringLiteral("Invalid UTF-16"), fileName,
                   linesIn(std::string_view(utf8.constData(), size_t(utf8.size()))) + 1);
        m_data = std::move(utf8);
        raw = std::string_view(m_data.constData(), size_t(m_data.size()));
    } else if (raw.starts_with("\xEF\xBB\xBF")) {
        m_encoding = Encoding::Utf8Bom;
        raw.remove_prefix(3);
    }
    m_bytes = raw;

    // The encoding check reads the whole file; on a second core it costs the scan nothing. A NUL byte is looked
    // for on the way: it means UTF-16 without its BOM, where every name would silently fail to match.
    const char *nul = nullptr;
    bool utf8 = true;
    auto check = [this, &nul, &utf8] {
        utf8 = isValidUtf8(m_bytes);
        nul = static_cast<const char *>(std::memchr(m_bytes.data(), 0, m_bytes.size()));
    };
    {
        std::jthread validation;
        if (m_bytes.size() >= m_thresholds.parallelBytes)
            validation = std::jthread(check);
        else
            check();
        scan(hasHeader, nullptr, {});
    }
    m_utf8 = utf8;
    finish(hasHeader, fileName, nul ? size_t(nul - m_bytes.data()) : SIZE_MAX);
}

const QByteArray &TextTable::sha256() const
{
    // Outside UTF-16 the buffer holds the file's own bytes, its byte order mark included, as sha256sum reads them.
    std::call_once(*m_hashOnce, [this] {
        if (m_sha256.isEmpty())
            m_sha256 = Sha256::hexOf(m_data);
    });
    return m_sha256;
}

std::unique_ptr<TextTable> TextTable::fromFile(QFile &file, bool hasHeader, const QString &name,
                                               const QStringList &keyColumns, const TextTableThresholds &thresholds,
                                               bool hashWhileReading)
{
    const qint64 size = file.size();
    const qint64 chunk = std::max<qint64>(thresholds.chunk, 1);
    if (size < qint64(thresholds.parallelBytes)) {
        QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw TextTableError(TextTableError::InvalidPath,
                                 QStringLiteral("%1 cannot be read: %2").arg(name, file.errorString()));
        requireWhole(name, size, bytes.size());
        return std::make_unique<TextTable>(std::move(bytes), hasHeader, name, thresholds);
    }
    QByteArray data(size, Qt::Uninitialized);
    char *buffer = data.data();
    LargePages::advise(buffer, size_t(size));
    // The first piece holds at least the longest byte order mark, even where a read comes back short.
    const qint64 firstPiece = std::min<qint64>(size, std::max<qint64>(chunk, 4));
    LargePages::prefault(buffer, size_t(firstPiece));
    qint64 first = 0;
    while (first < firstPiece) {
        const qint64 n = file.read(buffer + first, firstPiece - first);
        if (n < 0)
            throw TextTableError(TextTableError::InvalidPath,
                                 QStringLiteral("%1 cannot be read: %2").arg(name, file.errorString()));
        if (n == 0)
            break;
        first += n;
    }
    const std::string_view start(buffer, size_t(first));
    if (start.starts_with("\xFF\xFE") || start.starts_with("\xFE\xFF")) {
        // UTF-16 is turned into UTF-8 whole before it is read.
        while (first < size) {
            const qint64 n = file.read(buffer + first, size - first);
            if (n <= 0)
                break;
            first += n;
        }
        requireWhole(name, size, first);
        return std::make_unique<TextTable>(std::move(data), hasHeader, name, thresholds);
    }

    // The file is copied into memory of our own a megabyte at a time, each checked for its encoding as it comes,
    // while this thread finds the records in what has come so far.
    std::unique_ptr<TextTable> table(new TextTable());
    table->m_thresholds = thresholds;
    table->m_data = std::move(data);
    const size_t offset = start.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    table->m_encoding = offset ? Encoding::Utf8Bom : Encoding::Utf8;
    table->m_bytes = std::string_view(table->m_data.constData() + offset, size_t(size) - offset);
    Arrival arrival;
    arrival.offset = offset;
    arrival.progress.store(uint64_t(first) << 1); // the records of the first piece can be found at once
    {
        std::jthread reader([&arrival, &file, buffer, size, first, offset, chunk, hashWhileReading] {
            size_t got = size_t(first), checked = offset, searched = offset, hashed = 0;
            // The file's own bytes, its byte order mark included, as sha256sum reads them.
            Sha256 hash;
            auto check = [&](size_t upTo) {
                if (arrival.utf8 && !isValidUtf8(std::string_view(buffer + checked, upTo - checked)))
                    arrival.utf8 = false;
                checked = upTo;
                if (arrival.nul == SIZE_MAX) {
                    const void *hit = std::memchr(buffer + searched, 0, got - searched);
                    if (hit)
                        arrival.nul = size_t(static_cast<const char *>(hit) - buffer);
                }
                searched = got;
            };
            while (true) {
                // Checked up to before a lead byte among the last three, whose character may not be whole yet.
                size_t cut = got;
                for (size_t i = 1; i <= 3 && got >= checked + i; ++i) {
                    if (static_cast<unsigned char>(buffer[got - i]) >= 0xC0) {
                        cut = got - i;
                        break;
                    }
                }
                check(cut);
                if (got >= size_t(size))
                    break;
                arrival.advance(uint64_t(got) << 1);
                // Hashed while the records of what came are found on the other thread.
                if (hashWhileReading) {
                    hash.add(buffer + hashed, got - hashed);
                    hashed = got;
                }
                const qint64 want = std::min<qint64>(chunk, size - qint64(got));
                LargePages::prefault(buffer + got, size_t(want));
                const qint64 n = file.read(buffer + got, want);
                if (n < 0)
                    arrival.readError = file.errorString();
                if (n <= 0)
                    break; // cut short while read: refused below
                got += size_t(n);
            }
            check(got);
            if (hashWhileReading) {
                hash.add(buffer + hashed, got - hashed);
                arrival.sha256 = hash.hex();
            }
            arrival.advance((uint64_t(got) << 1) | 1);
        });
        table->scan(hasHeader, &arrival, keyColumns);
    }
    if (!arrival.readError.isEmpty())
        throw TextTableError(TextTableError::InvalidPath,
                             QStringLiteral("%1 cannot be read: %2").arg(name, arrival.readError));
    requireWhole(name, size, qint64(arrival.progress.load() >> 1));
    table->m_utf8 = arrival.utf8;
    table->m_sha256 = arrival.sha256;
    table->finish(hasHeader, name, arrival.nul == SIZE_MAX ? SIZE_MAX : arrival.nul - offset);
    return table;
}

// Finds where each record starts. With arrival, the bytes come while this runs: a record is taken only when
// its end has come, and is looked at again from its start when it had not. The key of the first of keyColumns the
// header names is hashed for the index on the way, in the time the scan would spend waiting for the bytes.
void TextTable::scan(bool hasHeader, Arrival *arrival, const QStringList &keyColumns)
{
    Cursor cursor(*this);
    std::string key;
    size_t limit = m_bytes.size();
    bool final = true;
    if (arrival)
        std::tie(limit, final) = arrival->waitBeyond(0);
    auto more = [&] {
        if (final)
            return false;
        std::tie(limit, final) = arrival->waitBeyond(limit);
        return true;
    };
    m_headerPending = hasHeader;
    size_t pos = 0;
    while (m_unclosedQuote == SIZE_MAX) {
        if (pos >= limit) {
            if (more())
                continue;
            break;
        }
        // Blank lines hold no record.
        if (m_bytes[pos] == '\n') {
            ++pos;
            continue;
        }
        if (m_bytes[pos] == '\r') {
            if (pos + 1 == limit && more())
                continue;
            pos += (pos + 1 < limit && m_bytes[pos + 1] == '\n') ? 2 : 1;
            continue;
        }
        const size_t next = endOfRecord(pos, limit, final);
        if (next == SIZE_MAX) {
            more();
            continue;
        }
        if (m_headerPending) {
            m_headerPending = false;
            readHeader(pos);
            for (const QString &name : keyColumns) {
                m_keyColumn = columnIndex(name);
                if (m_keyColumn >= 0)
                    break;
            }
        } else {
            if (m_rowStarts.size() == 256) {
                // Room for as many records as the first ones foretell, so the lists are not copied as they grow.
                const size_t expected = size_t(double(m_bytes.size()) / double(pos - m_rowStarts.front()) * 256 * 1.05);
                m_rowStarts.reserve(expected);
                if (m_keyColumn >= 0)
                    m_keyHashes.reserve(expected);
            }
            m_rowStarts.push_back(pos);
            if (m_keyColumn >= 0)
                m_keyHashes.push_back(keyHashAt(pos, m_keyColumn, cursor, key));
        }
        pos = next;
    }
}

void TextTable::readHeader(size_t start)
{
    Cursor header(*this);
    header.startAt(start);
    for (int k = 0; k < header.count(); ++k)
        m_columnNames.append(decode(header.field(k)).trimmed());
    m_columnCount = int(m_columnNames.size());
}

// Refuses what cannot be read whole, and names the columns of a file without a header.
void TextTable::finish(bool hasHeader, const QString &name, size_t nul)
{
    const QString fileName = name.isEmpty() ? QStringLiteral("the file") : name;
    if (nul != SIZE_MAX)
        refuse(QStringLiteral("NUL byte (a UTF-16 file without its byte-order mark?)"), fileName, lineAt(nul));
    if (m_unclosedQuote != SIZE_MAX)
        refuse(QStringLiteral("Unclosed quote"), fileName, lineAt(m_unclosedQuote));

    if (!hasHeader) {
        // Without a header the widest record decides how many columns there are.
        Cursor cursor(*this);
        for (size_t r = 0; r < m_rowStarts.size(); ++r) {
            cursor.start(r);
            m_columnCount = std::max(m_columnCount, cursor.count());
        }
        for (int c = 1; c <= m_columnCount; ++c)
            m_columnNames.append(QStringLiteral("F%1").arg(c));
    }
}

size_t TextTable::lineEnds(uint64_t from, uint64_t to) const
{
    to = std::min<uint64_t>(to, m_bytes.size());
    return from < to ? linesIn(m_bytes.substr(from, to - from)) : 0;
}
