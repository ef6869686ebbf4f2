#include "platform/TextTable.h"

#include "platform/TextEncoding.h"

#include <QByteArrayView>

#include <algorithm>
#include <bit>
#include <cstring>
#include <thread>

namespace {

// The white space QString::trimmed() drops from a literal, as far as ASCII goes; other white space is dropped
// from the decoded text, so both sides of a comparison lose the same characters.
bool isBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool isAscii(std::string_view s)
{
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
}

bool isValidUtf8(std::string_view bytes)
{
    return QByteArrayView(bytes.data(), qsizetype(bytes.size())).isValidUtf8();
}

// Below these sizes a second thread costs more than it saves.
constexpr size_t ParallelBytes = 4 * 1024 * 1024;
constexpr size_t ParallelRows = 50000;

} // namespace

TextTable::TextTable(std::string_view bytes, std::shared_ptr<const void> keepAlive, bool hasHeader)
    : m_bytes(bytes)
    , m_keepAlive(std::move(keepAlive))
{
    size_t pos = 0;
    if (m_bytes.starts_with("\xEF\xBB\xBF"))
        pos = 3;
    // The encoding check reads the whole file; on a second core it costs the scan below nothing.
    const std::string_view content = m_bytes.substr(pos);
    std::thread validation;
    if (content.size() >= ParallelBytes)
        validation = std::thread([this, content] { m_utf8 = isValidUtf8(content); });
    else
        m_utf8 = isValidUtf8(content);

    const size_t end = m_bytes.size();
    bool headerPending = hasHeader;
    size_t headerStart = 0;
    while (pos < end) {
        // Blank lines hold no record.
        if (m_bytes[pos] == '\n') {
            ++pos;
            continue;
        }
        if (m_bytes[pos] == '\r' && pos + 1 < end && m_bytes[pos + 1] == '\n') {
            pos += 2;
            continue;
        }
        if (headerPending) {
            headerPending = false;
            headerStart = pos;
        } else {
            m_rowStarts.push_back(pos);
        }
        pos = endOfRecord(pos);
    }
    if (validation.joinable())
        validation.join();

    if (hasHeader && !headerPending) {
        Cursor header(*this);
        header.startAt(headerStart);
        for (int k = 0; k < header.count(); ++k)
            m_columnNames.append(decode(header.field(k)).trimmed());
        m_columnCount = int(m_columnNames.size());
    }

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

// A line feed ends the record unless it stands inside a quoted field, and a quoted field can only begin right
// after a separator. So only the quotes at the start of a field need a look; the rest is memchr.
size_t TextTable::endOfRecord(size_t pos) const
{
    const char *data = m_bytes.data();
    const size_t end = m_bytes.size();
    const size_t recordStart = pos;
    auto find = [&](char c, size_t from, size_t to) {
        const void *hit = from < to ? std::memchr(data + from, c, to - from) : nullptr;
        return hit ? size_t(static_cast<const char *>(hit) - data) : to;
    };
    size_t lineEnd = find('\n', pos, end);
    size_t from = pos;
    while (true) {
        const size_t quote = find('"', from, lineEnd);
        if (quote == lineEnd)
            return lineEnd < end ? lineEnd + 1 : end;
        if (quote != recordStart && data[quote - 1] != ',') {
            from = quote + 1; // a quote inside an unquoted field is only a character
            continue;
        }
        // Skip the quoted field: to the quote that is not doubled, across line ends.
        size_t p = quote + 1;
        while (true) {
            p = find('"', p, end);
            if (p + 1 < end && data[p + 1] == '"') {
                p += 2;
                continue;
            }
            break;
        }
        if (p >= end)
            return end;
        if (p > lineEnd)
            lineEnd = find('\n', p, end);
        from = p + 1;
    }
}

size_t TextTable::parseField(size_t pos, std::string_view &value, std::deque<std::string> &unescaped) const
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
        while (tail < end && data[tail] != ',' && data[tail] != '\n')
            ++tail;
        size_t tailEnd = tail;
        if (tailEnd > after && data[tailEnd - 1] == '\r')
            --tailEnd;
        if (!doubled && tailEnd == after) {
            value = std::string_view(data + start, close - start);
            return tail;
        }
        std::string &text = unescaped.emplace_back();
        for (size_t i = start; i < close; ++i) {
            text += data[i];
            if (data[i] == '"')
                ++i;
        }
        text.append(data + after, tailEnd - after);
        value = text;
        return tail;
    }
    const char *p = data + pos;
    const char *stop = data + end;
    while (p < stop && *p != ',' && *p != '\n')
        ++p;
    const char *valueEnd = p;
    if (valueEnd > data + pos && valueEnd[-1] == '\r')
        --valueEnd;
    value = std::string_view(data + pos, size_t(valueEnd - (data + pos)));
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
    if (m_utf8)
        return QString::fromUtf8(field.data(), qsizetype(field.size()));
    return TextEncoding::decodeWindows1252(QByteArray(field.data(), qsizetype(field.size())));
}

int TextTable::columnIndex(QStringView name) const
{
    const QStringView wanted = name.trimmed();
    for (int c = 0; c < m_columnNames.size(); ++c) {
        if (wanted.compare(m_columnNames[c], Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

// Blanks around a field are not part of the name it holds: a list written "SMITH ," must still match SMITH.
void TextTable::fold(std::string_view field, std::string &out) const
{
    field = trimmed(field);
    out.clear();
    if (isAscii(field)) {
        out.resize(field.size());
        std::transform(field.begin(), field.end(), out.begin(), lower);
        return;
    }
    const QByteArray folded = decode(field).trimmed().toCaseFolded().toUtf8();
    out.assign(folded.constData(), size_t(folded.size()));
}

std::string TextTable::fold(const QString &text)
{
    const QByteArray folded = text.trimmed().toCaseFolded().toUtf8();
    return std::string(folded.constData(), size_t(folded.size()));
}

uint64_t TextTable::hash(std::string_view folded)
{
    uint64_t h = 1469598103934665603ULL; // FNV-1a
    for (char c : folded) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ULL;
    }
    return h;
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
    std::vector<uint64_t> rowHashes(rows);
    auto hashRows = [&](size_t from, size_t to) {
        Cursor cursor(*this);
        std::string folded;
        for (size_t r = from; r < to; ++r) {
            cursor.start(r);
            fold(cursor.field(column), folded);
            rowHashes[r] = hash(folded);
        }
    };
    // Reading the key of every record is most of the work; the two halves of the file go to two cores.
    if (rows >= ParallelRows) {
        std::thread second(hashRows, rows / 2, rows);
        hashRows(0, rows / 2);
        second.join();
    } else {
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

TextTable::PrefixFilter TextTable::prefixFilter(int column, std::string_view folded, bool exact)
{
    PrefixFilter filter;
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
        cursor.start(row);
        fold(cursor.field(column), folded);
        values[entryOfRow[row]] = prefixOf(folded);
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
        if (idx.hashes[e] == high && (!prefix || ((*prefix)[e] & filter.mask) == filter.value))
            rows.push_back(idx.rows[e]);
    }
    return rows;
}
