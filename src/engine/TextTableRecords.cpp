#include "engine/TextTable.h"

#include "engine/ComparisonKey.h"
#include "engine/TextTableDetail.h"
#include "engine/TextTableError.h"
#include "shared/TextEncoding.h"

#include <QStringDecoder>

#include <algorithm>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <cstring>
#include <thread>

using namespace TextTableDetail;

namespace {

// The first of the bytes A, B and C in data[i, to), or to. Sixteen bytes at a time where the processor has SSE2, a
// byte at a time elsewhere.
template <char A, char B, char C> size_t firstOf(const char *data, size_t i, size_t to)
{
#ifdef __SSE2__
    const __m128i a = _mm_set1_epi8(A), b = _mm_set1_epi8(B), c = _mm_set1_epi8(C);
    for (; i + 16 <= to; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
        const __m128i hits =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, a), _mm_cmpeq_epi8(block, b)), _mm_cmpeq_epi8(block, c));
        if (const int mask = _mm_movemask_epi8(hits))
            return i + size_t(__builtin_ctz(unsigned(mask)));
    }
#endif
    for (; i < to; ++i) {
        if (data[i] == A || data[i] == B || data[i] == C)
            return i;
    }
    return to;
}

// The first line feed, carriage return or double quote: the only bytes that can end a record.
size_t nextSpecial(const char *data, size_t from, size_t to)
{
    return firstOf<'\n', '\r', '"'>(data, from, to);
}

// The first separator (a comma or a line end) at or after i, or to.
size_t fieldEnd(const char *data, size_t i, size_t to)
{
    return firstOf<',', '\n', '\r'>(data, i, to);
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
        const size_t tail = fieldEnd(data, after, end);
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
    const size_t stop = fieldEnd(data, pos, end);
    value = std::string_view(data + pos, stop - pos);
    return stop;
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
    const char *data = m_table.m_bytes.data();
    const size_t end = m_table.m_bytes.size();
    while (int(m_fields.size()) <= k && !m_atEnd) {
        if (m_pos < end && data[m_pos] == '"') {
            std::string_view value;
            m_pos = m_table.parseField(m_pos, value, m_unescaped);
            m_fields.push_back(value);
        } else {
            // Most fields are plain and found here. The view is made in registers: one written to memory in
            // halves and read back whole stalls the store buffer at every field.
            const size_t p = fieldEnd(data, m_pos, end);
            m_fields.emplace_back(data + m_pos, p - m_pos);
            m_pos = p;
        }
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
    // No field decodes to more UTF-16 units than it has bytes.
    QString text(qsizetype(field.size()), Qt::Uninitialized);
    text.resize(decodeInto(field, text.data()) - text.constData());
    return text;
}

QChar *TextTable::decodeInto(std::string_view field, QChar *out) const
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(field.data());
    unsigned char high = 0;
    for (size_t i = 0; i < field.size(); ++i)
        high |= bytes[i];
    if (high < 0x80) {
        // ASCII, as nearly every field of a list is: each byte is its character.
        for (size_t i = 0; i < field.size(); ++i)
            out[i] = QChar(char16_t(bytes[i]));
        return out + field.size();
    }
    if (m_utf8 || isValidUtf8(field)) {
        // A byte order mark at a field's start is kept: a field comes back as stored.
        QStringDecoder utf8(QStringConverter::Utf8,
                            QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
        return utf8.appendToBuffer(out, QByteArrayView(field.data(), qsizetype(field.size())));
    }
    const QString text = TextEncoding::decodeWindows1252(QByteArray(field.data(), qsizetype(field.size())));
    std::copy(text.cbegin(), text.cend(), out); // one character for each byte
    return out + text.size();
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
        p = fieldEnd(data, p, end);
        if (p >= end || data[p] != ',')
            return std::string_view();
        ++p;
    }
    if (p < end && data[p] == '"')
        return std::nullopt;
    return std::string_view(data + p, fieldEnd(data, p, end) - p);
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
    LargeVector<uint64_t> rowHashes;
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
    if (!hashed && rows >= m_thresholds.parallelRows) {
        std::thread second(hashRows, rows / 2, rows);
        hashRows(0, rows / 2);
        second.join();
    } else if (!hashed) {
        hashRows(0, rows);
    }
    LargeVector<uint32_t> counts(buckets + 1, 0);
    for (size_t r = 0; r < rows; ++r)
        ++counts[(rowHashes[r] & index->mask) + 1];
    for (uint64_t b = 1; b <= buckets; ++b)
        counts[b] += counts[b - 1];
    index->rows.resize(rows);
    index->hashes.resize(rows);
    // Rows are placed in file order, so each bucket lists its rows in file order. Each bucket's start counts up
    // to the next one's as its rows are placed (no second array at the peak of memory), and is put back after.
    for (size_t r = 0; r < rows; ++r) {
        const uint32_t entry = counts[rowHashes[r] & index->mask]++;
        index->rows[entry] = uint32_t(r);
        index->hashes[entry] = uint32_t(rowHashes[r] >> 32);
    }
    for (uint64_t b = buckets; b > 0; --b)
        counts[b] = counts[b - 1];
    counts[0] = 0;
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

const LargeVector<uint32_t> &TextTable::prefixes(Index &index, int column) const
{
    auto found = index.prefixes.find(column);
    if (found != index.prefixes.end())
        return found->second;
    // Read in file order, which is far quicker than following the entries through the file.
    LargeVector<uint32_t> entryOfRow(index.rows.size());
    for (size_t entry = 0; entry < index.rows.size(); ++entry)
        entryOfRow[index.rows[entry]] = uint32_t(entry);
    LargeVector<uint32_t> values(index.rows.size());
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
    const LargeVector<uint32_t> *prefix = filter.column >= 0 ? &prefixes(idx, filter.column) : nullptr;
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
