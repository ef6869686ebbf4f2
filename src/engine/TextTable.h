#pragma once

#include "engine/RecordStarts.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QStringList>

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// When a file is big enough for a second thread, and the size of the pieces it is read in. Tests make them small
// to run the two-thread paths on small files.
struct TextTableThresholds
{
    size_t parallelBytes = 4 * 1024 * 1024; // below this, one thread reads and checks the bytes
    size_t parallelRows = 50000;            // below this, one thread builds an index
    qint64 chunk = 1 << 20;                 // a large file is read a piece of this size at a time
};

// A comma-separated file parsed once: where each record starts, the column names, and the file's encoding.
// Fields are split from the bytes on demand, so the table costs little more memory than the file itself.
// Records end at CR LF, LF or a lone CR outside quotes; a UTF-8 BOM is dropped and a UTF-16 file (with its BOM)
// is read as its UTF-8 equivalent. Without a BOM each field is UTF-8 where it is valid UTF-8 and Windows-1252
// where it is not, so one bad byte changes no other field.
class TextTable
{
public:
    enum class Encoding { Utf8, Utf8Bom, Utf16LE, Utf16BE };

    // Throws TextTableError BadFormat, naming the file by name and the line where the trouble starts, for a
    // file that cannot be read completely: an unclosed quote, a NUL byte (UTF-16 without its BOM), bad UTF-16.
    TextTable(QByteArray bytes, bool hasHeader, const QString &name = QString(),
              const TextTableThresholds &thresholds = {});
    // Reads an open file into memory of its own and finds its records as the bytes come in, on two cores.
    // Throws as the constructor does, and InvalidPath when the file cannot be read.
    // The first of keyColumns that the header names gets its index keys read on the way.
    // hashWhileReading: the file's SHA-256 is made on the reading thread, where it costs the read nothing; else
    // it is made when first asked for (a query that never asks never pays for it).
    static std::unique_ptr<TextTable> fromFile(QFile &file, bool hasHeader, const QString &name,
                                               const QStringList &keyColumns = {},
                                               const TextTableThresholds &thresholds = {},
                                               bool hashWhileReading = true);

    int columnCount() const { return m_columnCount; }
    const QStringList &columnNames() const { return m_columnNames; }
    // The column of that name, letter case and blanks around it ignored; -1 when there is none.
    int columnIndex(const QString &name) const;
    size_t rowCount() const { return m_rowStarts.size(); }
    uint64_t recordStart(size_t row) const { return m_rowStarts[row]; }
    // Asks the processor to fetch a record's first bytes before they are read.
    void prefetch(uint64_t recordStart) const;

    // Reads the fields of one record at a time, each only when it is asked for, so a test on the fourth
    // column never splits the eleventh.
    class Cursor
    {
    public:
        explicit Cursor(const TextTable &table)
            : m_table(table)
        {}
        void start(size_t row) { startAt(m_table.m_rowStarts[row]); }
        // Starts at a record's offset in the file (see recordStart).
        void startAt(uint64_t offset);
        // Field k of the current record; empty when the record is shorter. Valid until the next start().
        std::string_view field(int k);
        // How many fields the current record has.
        int count();

    private:
        const TextTable &m_table;
        size_t m_pos = 0;
        bool m_atEnd = true;
        std::vector<std::string_view> m_fields;
        std::list<std::string>
            m_unescaped; // fields whose doubled quotes were undone (a list: it allocates nothing until used)
    };
    // A field's text: UTF-8 where it is valid, Windows-1252 where it is not; a byte order mark at its start is kept.
    QString decode(std::string_view field) const;
    // decode(), written at out, which has room for field.size() units; returns the end of what was written.
    QChar *decodeInto(std::string_view field, QChar *out) const;
    // Every field is valid UTF-8 (none falls back to Windows-1252).
    bool isUtf8() const { return m_utf8; }
    Encoding encoding() const { return m_encoding; }
    // The SHA-256 of the file's bytes as they are on disk, in lower-case hex: which version of a list was read.
    // Made on first use where it was not made while reading.
    const QByteArray &sha256() const;
    // The text the records are read from: the file's bytes after the BOM, or their UTF-8 form for UTF-16.
    std::string_view content() const { return m_bytes; }
    // The bytes content() lies in, shared: a copy keeps content() readable after the table is gone.
    const QByteArray &data() const { return m_data; }
    // The physical line, from 1, that the byte at offset of content() stands on; CR LF is one line end.
    size_t lineAt(uint64_t offset) const { return lineEnds(0, offset) + 1; }
    // The line ends in content() from one offset to another.
    size_t lineEnds(uint64_t from, uint64_t to) const;

    // The comparison key (see ComparisonKey) of a field, and of a statement's text.
    void fold(std::string_view field, std::string &out) const;
    static std::string fold(const QString &text);
    static uint64_t hash(std::string_view folded);

    // Narrows the candidates further by the first four folded bytes of another column, without reading the
    // records: the prefix test of an equality or of a LIKE pattern's fixed start.
    struct PrefixFilter
    {
        int column = -1;
        uint32_t value = 0;
        uint32_t mask = 0;
        bool passEmpty = false; // an empty field passes too
    };
    // The filter for "column = literal" (exact) or "column LIKE pattern" (!exact), on folded texts; a filter
    // with column -1 when the literal gives nothing to test.
    static PrefixFilter prefixFilter(int column, std::string_view folded, bool exact, bool passEmpty = false);

    // Rows, in file order, whose field in column may equal the folded key (and may pass the filter): every
    // row that does, and perhaps a few that do not. The column's index is built on first use, and the
    // filter's prefixes on the first use of that pair of columns.
    std::vector<uint32_t> candidates(int column, std::string_view foldedKey, const PrefixFilter &filter) const;
    std::vector<uint32_t> candidates(int column, std::string_view foldedKey) const
    {
        return candidates(column, foldedKey, PrefixFilter());
    }

private:
    // Entries are grouped by bucket, and within a bucket kept in file order; what a lookup reads of an entry
    // lies side by side, so a lookup does not wander through the file.
    struct Index
    {
        uint64_t mask = 0;
        LargeVector<uint32_t> bucketStarts; // entries of bucket b: bucketStarts[b] .. bucketStarts[b + 1]
        LargeVector<uint32_t> rows;         // the row of each entry
        LargeVector<uint32_t> hashes;       // high half of each entry's key hash, to pass over collisions
        std::unordered_map<int, LargeVector<uint32_t>> prefixes; // column -> each entry's folded prefix
    };
    Index &index(int column) const;
    // The comparison key of the field in column of the record at start.
    void keyAt(uint64_t start, int column, Cursor &cursor, std::string &out) const;
    uint64_t keyHashAt(uint64_t start, int column, Cursor &cursor, std::string &scratch) const;
    std::optional<std::string_view> plainField(uint64_t start, int column) const;
    const LargeVector<uint32_t> &prefixes(Index &index, int column) const;
    static uint32_t prefixOf(std::string_view folded);
    struct Arrival;
    TextTable() = default;
    void scan(bool hasHeader, Arrival *arrival, const QStringList &keyColumns);
    void readHeader(size_t start);
    void finish(bool hasHeader, const QString &name, size_t nul);
    // The position after the record's line end, of the bytes before end; SIZE_MAX when that cannot be told
    // before more bytes come (final false). Sets m_unclosedQuote at a quoted field that never closes.
    size_t endOfRecord(size_t pos, size_t end, bool final);
    // Reads the field at pos; returns the position of the separator after it (a comma, a line feed, the end).
    size_t parseField(size_t pos, std::string_view &value, std::list<std::string> &unescaped) const;

    QByteArray m_data;
    std::string_view m_bytes;
    Encoding m_encoding = Encoding::Utf8;
    TextTableThresholds m_thresholds;
    mutable QByteArray m_sha256;
    std::unique_ptr<std::once_flag> m_hashOnce = std::make_unique<std::once_flag>(); // a pointer: tables move
    bool m_utf8 = false; // false until the whole file is known to be UTF-8: each field is checked till then
    size_t m_unclosedQuote = SIZE_MAX;
    bool m_headerPending = false;
    mutable int m_keyColumn = -1; // the column whose keys were hashed as the file was read
    mutable LargeVector<uint64_t> m_keyHashes;
    int m_columnCount = 0;
    QStringList m_columnNames;
    mutable QHash<QString, int> m_columnByName;    // case-folded name to column, made on first use
    mutable QHash<QString, int> m_columnAsWritten; // the header's own spelling to the same column
    RecordStarts m_rowStarts;
    mutable std::unordered_map<int, std::unique_ptr<Index>> m_indexes;
};
