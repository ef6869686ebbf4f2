#include "platform/TextTable.h"

#include "platform/TextEncoding.h"

#include <QByteArrayView>

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
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

} // namespace

TextTable::TextTable(std::string_view bytes, std::shared_ptr<const void> keepAlive, bool hasHeader)
    : m_bytes(bytes)
    , m_keepAlive(std::move(keepAlive))
{
    size_t pos = 0;
    if (m_bytes.starts_with("\xEF\xBB\xBF"))
        pos = 3;
    m_utf8 = QByteArrayView(m_bytes.data() + pos, qsizetype(m_bytes.size() - pos)).isValidUtf8();

    const size_t end = m_bytes.size();
    bool headerPending = hasHeader;
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
            std::vector<std::string_view> names;
            std::string scratch;
            m_rowStarts.push_back(pos);
            fields(0, INT32_MAX, names, scratch);
            m_rowStarts.clear();
            for (std::string_view name : names)
                m_columnNames.append(decode(name).trimmed());
            m_columnCount = int(m_columnNames.size());
        } else {
            m_rowStarts.push_back(pos);
        }
        pos = endOfRecord(pos);
    }

    if (!hasHeader) {
        // Without a header the widest record decides how many columns there are.
        std::vector<std::string_view> row;
        std::string scratch;
        for (size_t r = 0; r < m_rowStarts.size(); ++r) {
            fields(r, INT32_MAX, row, scratch);
            m_columnCount = std::max(m_columnCount, int(row.size()));
        }
        for (int c = 1; c <= m_columnCount; ++c)
            m_columnNames.append(QStringLiteral("F%1").arg(c));
    }
}

size_t TextTable::endOfRecord(size_t pos) const
{
    const char *data = m_bytes.data();
    const size_t end = m_bytes.size();
    const auto *newline = static_cast<const char *>(std::memchr(data + pos, '\n', end - pos));
    const size_t lineEnd = newline ? size_t(newline - data) : end;
    // Most records hold no quote at all: then the line end is the record's end.
    if (!std::memchr(data + pos, '"', lineEnd - pos))
        return newline ? lineEnd + 1 : end;

    std::string scratch;
    std::string_view value;
    bool unescaped = false;
    while (true) {
        pos = parseField(pos, value, scratch, unescaped);
        if (pos < end && data[pos] == ',') {
            ++pos;
            continue;
        }
        return pos < end ? pos + 1 : end;
    }
}

// Reads one field at pos and returns the position of the separator after it (a comma, a line feed, or the end).
size_t TextTable::parseField(size_t pos, std::string_view &value, std::string &scratch, bool &unescaped) const
{
    const char *data = m_bytes.data();
    const size_t end = m_bytes.size();
    unescaped = false;
    if (pos < end && data[pos] == '"') {
        // A quoted field runs to the quote that is not doubled; commas and line breaks inside belong to it.
        size_t p = pos + 1;
        const size_t start = p;
        bool doubled = false;
        while (p < end) {
            if (data[p] == '"') {
                if (p + 1 < end && data[p + 1] == '"') {
                    doubled = true;
                    p += 2;
                    continue;
                }
                break;
            }
            ++p;
        }
        const size_t close = p;
        size_t after = std::min(close + 1, end);
        // Text between the closing quote and the separator is kept, as a lenient reader would.
        size_t tail = after;
        while (tail < end && data[tail] != ',' && data[tail] != '\n')
            ++tail;
        size_t tailEnd = tail;
        if (tailEnd > after && data[tailEnd - 1] == '\r' && (tail == end || data[tail] == '\n'))
            --tailEnd;
        if (!doubled && tailEnd == after) {
            value = std::string_view(data + start, close - start);
            return tail;
        }
        unescaped = true;
        std::string text;
        for (size_t i = start; i < close; ++i) {
            text += data[i];
            if (data[i] == '"')
                ++i;
        }
        text.append(data + after, tailEnd - after);
        scratch.append(text);
        value = std::string_view(); // placed by the caller, since scratch may move while it grows
        return tail;
    }
    size_t p = pos;
    while (p < end && data[p] != ',' && data[p] != '\n')
        ++p;
    size_t valueEnd = p;
    if (valueEnd > pos && data[valueEnd - 1] == '\r' && (p == end || data[p] == '\n'))
        --valueEnd;
    value = std::string_view(data + pos, valueEnd - pos);
    return p;
}

void TextTable::fields(size_t row, int count, std::vector<std::string_view> &out, std::string &scratch) const
{
    out.clear();
    scratch.clear();
    // Unescaped fields live in scratch; their views are made once scratch has stopped growing.
    struct Pending
    {
        size_t field, offset, length;
    };
    std::vector<Pending> pending;
    const size_t end = m_bytes.size();
    size_t pos = m_rowStarts[row];
    std::string_view value;
    bool unescaped = false;
    while (int(out.size()) < count) {
        const size_t before = scratch.size();
        pos = parseField(pos, value, scratch, unescaped);
        if (unescaped)
            pending.push_back({out.size(), before, scratch.size() - before});
        out.push_back(value);
        if (pos < end && m_bytes[pos] == ',')
            ++pos;
        else
            break;
    }
    for (const Pending &p : pending)
        out[p.field] = std::string_view(scratch.data() + p.offset, p.length);
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
    const QByteArray folded = decode(field).toCaseFolded().toUtf8();
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

const TextTable::Index &TextTable::index(int column) const
{
    auto found = m_indexes.find(column);
    if (found != m_indexes.end())
        return *found->second;

    auto index = std::make_unique<Index>();
    const size_t rows = m_rowStarts.size();
    const uint64_t buckets = std::bit_ceil(std::max<uint64_t>(rows, 16));
    index->mask = buckets - 1;
    index->rowHashes.resize(rows);
    std::vector<uint32_t> bucketOfRow(rows);
    std::vector<uint32_t> counts(buckets + 1, 0);
    std::vector<std::string_view> row;
    std::string scratch, folded;
    for (size_t r = 0; r < rows; ++r) {
        fields(r, column + 1, row, scratch);
        fold(int(row.size()) > column ? row[column] : std::string_view(), folded);
        const uint64_t h = hash(folded);
        index->rowHashes[r] = uint32_t(h >> 32);
        bucketOfRow[r] = uint32_t(h & index->mask);
        ++counts[bucketOfRow[r] + 1];
    }
    for (uint64_t b = 1; b <= buckets; ++b)
        counts[b] += counts[b - 1];
    index->bucketStarts = counts;
    index->rows.resize(rows);
    // Rows are placed in file order, so each bucket lists its rows in file order.
    std::vector<uint32_t> next(counts.begin(), counts.end() - 1);
    for (size_t r = 0; r < rows; ++r)
        index->rows[next[bucketOfRow[r]]++] = uint32_t(r);
    return *m_indexes.emplace(column, std::move(index)).first->second;
}

std::vector<uint32_t> TextTable::candidates(int column, std::string_view foldedKey) const
{
    const Index &idx = index(column);
    const uint64_t h = hash(foldedKey);
    const uint64_t bucket = h & idx.mask;
    std::vector<uint32_t> rows;
    for (uint32_t i = idx.bucketStarts[bucket]; i < idx.bucketStarts[bucket + 1]; ++i) {
        if (idx.rowHashes[idx.rows[i]] == uint32_t(h >> 32))
            rows.push_back(idx.rows[i]);
    }
    return rows;
}
