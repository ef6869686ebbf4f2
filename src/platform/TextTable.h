#pragma once

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A comma-separated file parsed once: where each record starts, the column names, and the file's encoding.
// Fields are split from the bytes on demand, so the table costs little more memory than the file itself.
class TextTable
{
public:
    // bytes must stay valid and unchanged for the table's life; keepAlive owns them.
    TextTable(std::string_view bytes, std::shared_ptr<const void> keepAlive, bool hasHeader);

    int columnCount() const { return m_columnCount; }
    const QStringList &columnNames() const { return m_columnNames; }
    // The column of that name, letter case and blanks around it ignored; -1 when there is none.
    int columnIndex(QStringView name) const;
    size_t rowCount() const { return m_rowStarts.size(); }

    // The first count fields of a row (fewer when the row is short). A quoted field's doubled quotes are
    // undone into scratch, which must outlive the views.
    void fields(size_t row, int count, std::vector<std::string_view> &out, std::string &scratch) const;
    QString decode(std::string_view field) const;
    bool isUtf8() const { return m_utf8; }

    // Comparison key of a text: blanks around it dropped, letter case folded. Equal keys, equal texts.
    void fold(std::string_view field, std::string &out) const;
    static std::string fold(const QString &text);
    static uint64_t hash(std::string_view folded);

    // Rows, in file order, whose field in column may equal the folded key: every row that does, and perhaps a
    // few that do not. The column's index is built on first use.
    std::vector<uint32_t> candidates(int column, std::string_view foldedKey) const;

private:
    struct Index
    {
        uint64_t mask = 0;
        std::vector<uint32_t> bucketStarts; // rows of bucket b: rows[bucketStarts[b] .. bucketStarts[b + 1])
        std::vector<uint32_t> rows;
        std::vector<uint32_t> rowHashes; // low bits of each row's key hash, to pass over collisions quickly
    };
    const Index &index(int column) const;
    size_t endOfRecord(size_t pos) const;
    size_t parseField(size_t pos, std::string_view &value, std::string &scratch, bool &unescaped) const;

    std::string_view m_bytes;
    std::shared_ptr<const void> m_keepAlive;
    bool m_utf8 = true;
    int m_columnCount = 0;
    QStringList m_columnNames;
    std::vector<uint64_t> m_rowStarts;
    mutable std::unordered_map<int, std::unique_ptr<Index>> m_indexes;
};
