#include "engine/TextTable.h"

#include "engine/ComparisonKey.h"
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
#include <cstring>
#include <thread>
#include <tuple>

namespace {

bool isValidUtf8(std::string_view bytes)
{
    return QByteArrayView(bytes.data(), qsizetype(bytes.size())).isValidUtf8();
}

// Below these sizes a second thread costs more than it saves.
constexpr size_t ParallelBytes = 4 * 1024 * 1024;
constexpr size_t ParallelRows = 50000;
// A file is read in pieces of this size while its records are found.
constexpr qint64 Chunk = 1 << 20;

// The finaliser of MurmurHash3: every bit of the input moves every bit of the output.
uint64_t mix(uint64_t x)
{
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDULL;
    x ^= x >> 33;
    x *= 0xC4CEB9FE1A85EC53ULL;
    x ^= x >> 33;
    return x;
}

// A key read into a small buffer, for the keys of a million records hashed without an allocation.
struct KeyBuffer
{
    char bytes[64];
    size_t size = 0;
    bool overflow = false;
    void operator()(char c)
    {
        if (size < sizeof bytes)
            bytes[size++] = c;
        else
            overflow = true;
    }
};

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
// the done mark in one atomic, so a wait can never miss the end.
struct TextTable::Arrival
{
    std::atomic<uint64_t> progress{0}; // bytes filled (of the whole buffer, BOM included) * 2, + 1 when done
    size_t offset = 0;                 // where content() starts in the buffer
    bool utf8 = true;
    size_t nul = SIZE_MAX; // the first NUL byte, in the buffer
    QString readError;

    // Content bytes ready beyond have, or all of them: {ready, final}.
    std::pair<size_t, bool> waitBeyond(size_t have)
    {
        while (true) {
            const uint64_t now = progress.load(std::memory_order_acquire);
            const size_t filled = std::max(size_t(now >> 1), offset) - offset;
            if (filled > have || (now & 1))
                return {filled, (now & 1) != 0};
            progress.wait(now, std::memory_order_acquire);
        }
    }
};

TextTable::TextTable(QByteArray bytes, bool hasHeader, const QString &name)
    : m_data(std::move(bytes))
{
    const QString fileName = name.isEmpty() ? QStringLiteral("the file") : name;
    std::string_view raw(m_data.constData(), size_t(m_data.size()));
    if (raw.starts_with("\xFF\xFE") || raw.starts_with("\xFE\xFF")) {
        const bool bigEndian = raw[0] == '\xFE';
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
        if (m_bytes.size() >= ParallelBytes)
            validation = std::jthread(check);
        else
            check();
        scan(hasHeader, nullptr, {});
    }
    m_utf8 = utf8;
    finish(hasHeader, fileName, nul ? size_t(nul - m_bytes.data()) : SIZE_MAX);
}

std::unique_ptr<TextTable> TextTable::fromFile(QFile &file, bool hasHeader, const QString &name,
                                               const QStringList &keyColumns)
{
    const qint64 size = file.size();
    if (size < qint64(ParallelBytes)) {
        QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw TextTableError(TextTableError::InvalidPath,
                                 QStringLiteral("%1 cannot be read: %2").arg(name, file.errorString()));
        requireWhole(name, size, bytes.size());
        return std::make_unique<TextTable>(std::move(bytes), hasHeader, name);
    }
    QByteArray data(size, Qt::Uninitialized);
    char *buffer = data.data();
    qint64 first = file.read(buffer, Chunk);
    if (first < 0)
        throw TextTableError(TextTableError::InvalidPath,
                             QStringLiteral("%1 cannot be read: %2").arg(name, file.errorString()));
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
        return std::make_unique<TextTable>(std::move(data), hasHeader, name);
    }

    // The file is copied into memory of our own a megabyte at a time, each checked for its encoding as it comes,
    // while this thread finds the records in what has come so far.
    std::unique_ptr<TextTable> table(new TextTable());
    table->m_data = std::move(data);
    const size_t offset = start.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    table->m_encoding = offset ? Encoding::Utf8Bom : Encoding::Utf8;
    table->m_bytes = std::string_view(table->m_data.constData() + offset, size_t(size) - offset);
    Arrival arrival;
    arrival.offset = offset;
    arrival.progress.store(uint64_t(first) << 1); // the records of the first piece can be found at once
    {
        std::jthread reader([&arrival, &file, buffer, size, first, offset] {
            size_t got = size_t(first), checked = offset, searched = offset;
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
                arrival.progress.store(uint64_t(got) << 1, std::memory_order_release);
                arrival.progress.notify_one();
                const qint64 n = file.read(buffer + got, std::min<qint64>(Chunk, size - qint64(got)));
                if (n < 0)
                    arrival.readError = file.errorString();
                if (n <= 0)
                    break; // cut short while read: refused below
                got += size_t(n);
            }
            check(got);
            arrival.progress.store((uint64_t(got) << 1) | 1, std::memory_order_release);
            arrival.progress.notify_one();
        });
        table->scan(hasHeader, &arrival, keyColumns);
    }
    if (!arrival.readError.isEmpty())
        throw TextTableError(TextTableError::InvalidPath,
                             QStringLiteral("%1 cannot be read: %2").arg(name, arrival.readError));
    requireWhole(name, size, qint64(arrival.progress.load() >> 1));
    table->m_utf8 = arrival.utf8;
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

namespace {

// The first line feed, carriage return or double quote in data[from, to): the only bytes that can end a record.
// Sixteen bytes at a time where the processor has SSE2, a byte at a time elsewhere.
size_t nextSpecial(const char *data, size_t from, size_t to)
{
    size_t i = from;
#ifdef __SSE2__
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), quote = _mm_set1_epi8('"');
    for (; i + 16 <= to; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, lf), _mm_cmpeq_epi8(block, cr)),
                                          _mm_cmpeq_epi8(block, quote));
        if (const int mask = _mm_movemask_epi8(hits))
            return i + size_t(__builtin_ctz(unsigned(mask)));
    }
#endif
    for (; i < to; ++i) {
        if (data[i] == '\n' || data[i] == '\r' || data[i] == '"')
            return i;
    }
    return to;
}

} // namespace

// A record ends at the first line end that does not stand inside a quoted field, and a quoted field can only
// begin right after a separator. So only the quotes at the start of a field need a look.
size_t TextTable::endOfRecord(size_t pos, size_t end, bool final)
{
    const char *data = m_bytes.data();
    const size_t recordStart = pos;
    size_t p = pos;
    while (true) {
        p = nextSpecial(data, p, end);
        if (p >= end)
            return final ? end : SIZE_MAX;
        if (data[p] == '\n')
            return p + 1;
        if (data[p] == '\r') {
            if (p + 1 == end && !final)
                return SIZE_MAX; // a CR LF may be cut between the two
            return (p + 1 < end && data[p + 1] == '\n') ? p + 2 : p + 1;
        }
        if (p != recordStart && data[p - 1] != ',') {
            ++p; // a quote inside an unquoted field is only a character
            continue;
        }
        // Skip the quoted field: to the quote that is not doubled, across line ends.
        const size_t quote = p;
        size_t close = quote + 1;
        while (true) {
            const void *hit = close < end ? std::memchr(data + close, '"', end - close) : nullptr;
            close = hit ? size_t(static_cast<const char *>(hit) - data) : end;
            if (close + 1 < end && data[close + 1] == '"') {
                close += 2;
                continue;
            }
            break;
        }
        if (close >= end || (close + 1 == end && !final)) {
            if (!final)
                return SIZE_MAX; // the closing quote, or its double, may be still to come
            m_unclosedQuote = quote;
            return end;
        }
        p = close + 1;
    }
}

namespace {

bool endsField(char c)
{
    return c == ',' || c == '\n' || c == '\r';
}

} // namespace

size_t TextTable::parseField(size_t pos, std::string_view &value, std::list<std::string> &unescaped) const
{
    const char *data = m_bytes.data();
    const size_t end = m_bytes.size();
    if (pos < end && data[pos] == '"') {
        // A quoted field runs to the quote that is not doubled; commas and line breaks inside belong to it.
        const size_t start = pos + 1;
        size_t p = start;
        bool doubled = false;
        while (true) {
            const void *hit = p < end ? std::memchr(data + p, '"', end - p) : nullptr;
            p = hit ? size_t(static_cast<const char *>(hit) - data) : end;
            if (p + 1 < end && data[p + 1] == '"') {
                doubled = true;
                p += 2;
                continue;
            }
            break;
        }
        const size_t close = p;
        const size_t after = std::min(close + 1, end);
        // Text between the closing quote and the separator is kept, as a lenient reader would.
        size_t tail = after;
        while (tail < end && !endsField(data[tail]))
            ++tail;
        if (!doubled && tail == after) {
            value = std::string_view(data + start, close - start);
            return tail;
        }
        std::string &text = unescaped.emplace_back();
        for (size_t i = start; i < close; ++i) {
            text += data[i];
            if (data[i] == '"')
                ++i;
        }
        text.append(data + after, tail - after);
        value = text;
        return tail;
    }
    const char *p = data + pos;
    const char *stop = data + end;
    while (p < stop && !endsField(*p))
        ++p;
    value = std::string_view(data + pos, size_t(p - (data + pos)));
    return size_t(p - data);
}

void TextTable::prefetch(uint64_t recordStart) const
{
    if (recordStart < m_bytes.size()) {
        __builtin_prefetch(m_bytes.data() + recordStart);
        __builtin_prefetch(m_bytes.data() + std::min<uint64_t>(recordStart + 64, m_bytes.size() - 1));
    }
}

void TextTable::Cursor::startAt(uint64_t offset)
{
    m_pos = offset;
    m_atEnd = false;
    m_fields.clear();
    m_unescaped.clear();
}

std::string_view TextTable::Cursor::field(int k)
{
    const size_t end = m_table.m_bytes.size();
    while (int(m_fields.size()) <= k && !m_atEnd) {
        std::string_view value;
        m_pos = m_table.parseField(m_pos, value, m_unescaped);
        m_fields.push_back(value);
        if (m_pos < end && m_table.m_bytes[m_pos] == ',')
            ++m_pos;
        else
            m_atEnd = true;
    }
    return k < int(m_fields.size()) ? m_fields[k] : std::string_view();
}

int TextTable::Cursor::count()
{
    field(INT32_MAX - 1);
    return int(m_fields.size());
}

QString TextTable::decode(std::string_view field) const
{
    if (m_utf8 || isValidUtf8(field)) {
        if (field.starts_with("\xEF\xBB\xBF")) {
            // fromUtf8 would drop a BOM at the start; a field comes back as stored.
            QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
            return utf8.decode(QByteArrayView(field.data(), qsizetype(field.size())));
        }
        return QString::fromUtf8(field.data(), qsizetype(field.size()));
    }
    return TextEncoding::decodeWindows1252(QByteArray(field.data(), qsizetype(field.size())));
}

int TextTable::columnIndex(const QString &name) const
{
    // Every condition of every statement asks: one look-up, not a comparison with each column; a name written
    // as the header writes it is found without making its case-folded form.
    if (m_columnByName.isEmpty()) {
        for (int c = int(m_columnNames.size()) - 1; c >= 0; --c)
            m_columnByName.insert(m_columnNames[c].toCaseFolded(), c); // the first of a repeated name wins
        for (const QString &written : m_columnNames)
            m_columnAsWritten.insert(written, m_columnByName.value(written.toCaseFolded()));
    }
    const auto written = m_columnAsWritten.constFind(name);
    if (written != m_columnAsWritten.constEnd())
        return written.value();
    return m_columnByName.value(name.trimmed().toCaseFolded(), -1);
}

void TextTable::fold(std::string_view field, std::string &out) const
{
    if (!ComparisonKey::ofAscii(field, out))
        out = ComparisonKey::of(decode(field));
}

std::string TextTable::fold(const QString &text)
{
    return ComparisonKey::of(text);
}

uint64_t TextTable::hash(std::string_view folded)
{
    // Eight bytes at a time: keys are short, and a byte at a time would be a chain of multiplications.
    uint64_t h = 0x9E3779B97F4A7C15ULL ^ folded.size();
    size_t i = 0;
    for (; i + 8 <= folded.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, folded.data() + i, 8);
        h = mix(h ^ word);
    }
    if (i < folded.size()) {
        uint64_t word = 0;
        std::memcpy(&word, folded.data() + i, folded.size() - i);
        h = mix(h ^ word);
    }
    return mix(h);
}

// The field in column of the record at start, found without splitting the record when the fields before it are
// unquoted; empty when the record ends before the column, nullopt when a quote means the cursor must read it.
std::optional<std::string_view> TextTable::plainField(uint64_t start, int column) const
{
    const char *data = m_bytes.data();
    const size_t end = m_bytes.size();
    size_t p = start;
    for (int k = 0; k < column; ++k) {
        if (p < end && data[p] == '"')
            return std::nullopt;
        while (p < end && !endsField(data[p]))
            ++p;
        if (p >= end || data[p] != ',')
            return std::string_view();
        ++p;
    }
    if (p < end && data[p] == '"')
        return std::nullopt;
    size_t fieldEnd = p;
    while (fieldEnd < end && !endsField(data[fieldEnd]))
        ++fieldEnd;
    return std::string_view(data + p, fieldEnd - p);
}

// Most keys are plain (an unquoted ASCII field): they are read straight from the bytes; the others go through the
// cursor and the full key.
void TextTable::keyAt(uint64_t start, int column, Cursor &cursor, std::string &out) const
{
    const auto field = plainField(start, column);
    if (field && ComparisonKey::ofAscii(*field, out))
        return;
    cursor.startAt(start);
    fold(cursor.field(column), out);
}

uint64_t TextTable::keyHashAt(uint64_t start, int column, Cursor &cursor, std::string &scratch) const
{
    const auto field = plainField(start, column);
    KeyBuffer key;
    if (field && ComparisonKey::forEachAsciiKeyChar(*field, key) && !key.overflow)
        return hash(std::string_view(key.bytes, key.size));
    keyAt(start, column, cursor, scratch);
    return hash(scratch);
}

TextTable::Index &TextTable::index(int column) const
{
    auto found = m_indexes.find(column);
    if (found != m_indexes.end())
        return *found->second;

    auto index = std::make_unique<Index>();
    const size_t rows = m_rowStarts.size();
    const uint64_t buckets = std::bit_ceil(std::max<uint64_t>(rows, 16));
    index->mask = buckets - 1;
    std::vector<uint64_t> rowHashes;
    const bool hashed = column == m_keyColumn && m_keyHashes.size() == rows;
    if (hashed) {
        rowHashes = std::move(m_keyHashes); // hashed while the file was read
        m_keyColumn = -1;
    } else {
        rowHashes.resize(rows);
    }
    auto hashRows = [&](size_t from, size_t to) {
        Cursor cursor(*this);
        std::string folded;
        for (size_t r = from; r < to; ++r)
            rowHashes[r] = keyHashAt(m_rowStarts[r], column, cursor, folded);
    };
    // Reading the key of every record is most of the work; the two halves of the file go to two cores.
    if (!hashed && rows >= ParallelRows) {
        std::thread second(hashRows, rows / 2, rows);
        hashRows(0, rows / 2);
        second.join();
    } else if (!hashed) {
        hashRows(0, rows);
    }
    std::vector<uint32_t> counts(buckets + 1, 0);
    for (size_t r = 0; r < rows; ++r)
        ++counts[(rowHashes[r] & index->mask) + 1];
    for (uint64_t b = 1; b <= buckets; ++b)
        counts[b] += counts[b - 1];
    index->rows.resize(rows);
    index->hashes.resize(rows);
    // Rows are placed in file order, so each bucket lists its rows in file order.
    std::vector<uint32_t> next(counts.begin(), counts.end() - 1);
    for (size_t r = 0; r < rows; ++r) {
        const uint32_t entry = next[rowHashes[r] & index->mask]++;
        index->rows[entry] = uint32_t(r);
        index->hashes[entry] = uint32_t(rowHashes[r] >> 32);
    }
    index->bucketStarts = std::move(counts);
    return *m_indexes.emplace(column, std::move(index)).first->second;
}

uint32_t TextTable::prefixOf(std::string_view folded)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4 && i < folded.size(); ++i)
        value |= uint32_t(static_cast<unsigned char>(folded[i])) << (8 * i);
    return value;
}

TextTable::PrefixFilter TextTable::prefixFilter(int column, std::string_view folded, bool exact, bool passEmpty)
{
    PrefixFilter filter;
    filter.passEmpty = passEmpty;
    if (exact) {
        // Shorter texts are padded with zero bytes on both sides, so the whole word counts.
        filter.mask = 0xFFFFFFFFu;
        filter.value = prefixOf(folded);
    } else {
        const size_t fixed = std::min<size_t>(folded.find_first_of("%_"), folded.size());
        const size_t k = std::min<size_t>(fixed, 4);
        if (k == 0)
            return filter;
        filter.mask = k == 4 ? 0xFFFFFFFFu : (1u << (8 * k)) - 1;
        filter.value = prefixOf(folded.substr(0, k));
    }
    filter.column = column;
    return filter;
}

const std::vector<uint32_t> &TextTable::prefixes(Index &index, int column) const
{
    auto found = index.prefixes.find(column);
    if (found != index.prefixes.end())
        return found->second;
    // Read in file order, which is far quicker than following the entries through the file.
    std::vector<uint32_t> entryOfRow(index.rows.size());
    for (size_t entry = 0; entry < index.rows.size(); ++entry)
        entryOfRow[index.rows[entry]] = uint32_t(entry);
    std::vector<uint32_t> values(index.rows.size());
    Cursor cursor(*this);
    std::string folded;
    for (size_t row = 0; row < entryOfRow.size(); ++row) {
        // A plain key's first four bytes are taken as they are read; the rest of the key is not needed.
        const auto field = plainField(m_rowStarts[row], column);
        uint32_t prefix = 0;
        int shift = 0;
        auto take = [&](char c) {
            if (shift < 32)
                prefix |= uint32_t(static_cast<unsigned char>(c)) << shift;
            shift += 8;
        };
        if (!field || !ComparisonKey::forEachAsciiKeyChar(*field, take)) {
            keyAt(m_rowStarts[row], column, cursor, folded);
            prefix = prefixOf(folded);
        }
        values[entryOfRow[row]] = prefix;
    }
    return index.prefixes.emplace(column, std::move(values)).first->second;
}

std::vector<uint32_t> TextTable::candidates(int column, std::string_view foldedKey, const PrefixFilter &filter) const
{
    Index &idx = index(column);
    const std::vector<uint32_t> *prefix = filter.column >= 0 ? &prefixes(idx, filter.column) : nullptr;
    const uint64_t h = hash(foldedKey);
    const uint64_t bucket = h & idx.mask;
    const uint32_t high = uint32_t(h >> 32);
    std::vector<uint32_t> rows;
    for (uint32_t e = idx.bucketStarts[bucket]; e < idx.bucketStarts[bucket + 1]; ++e) {
        if (idx.hashes[e] != high)
            continue;
        // An empty key's prefix is 0, which no other key has.
        if (!prefix || ((*prefix)[e] & filter.mask) == filter.value || (filter.passEmpty && (*prefix)[e] == 0))
            rows.push_back(idx.rows[e]);
    }
    return rows;
}
