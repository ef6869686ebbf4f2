#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TextTable;

// The words of a watch list's names, built once when the list is read, so that finding the records whose names
// come close to a person's never reads the whole list: each distinct word once, the records that hold it, its
// phonetic keys and its keys in the table of name variants, the word with each one letter left out (two words a
// letter apart share such a form), and each record's date of birth as days.
class NearMissIndex
{
public:
    // JoinedSurname: the words of a surname of several written as one (GARCIA LOPEZ as GARCIALOPEZ), so that a
    // person who writes it either way finds the record; SurnameCore: a surname word without the particle written
    // onto it (SAYED of ALSAYED). Given names written as one are split by the finder, not indexed joined: each
    // record's would be a word of its own.
    enum Field : uint32_t { Surname = 0, First = 1, Middle = 2, JoinedSurname = 3, SurnameCore = 4 };
    static constexpr uint32_t FieldBits = 3;
    // A field's words are read up to this many, each up to this length: no name is longer, and a hostile field
    // then costs no more than a name.
    static constexpr size_t MaxWordsPerField = 8;
    static constexpr size_t MaxWordLength = 32;

    // Reads the LASTNAME, FIRSTNAME, MIDDLENAME and DOB columns of table; an index of no records when the list has no
    // LASTNAME column.
    explicit NearMissIndex(const TextTable &table);

    // Keeps the table's bytes (shared, not copied): some words are read from them.
    size_t recordCount() const { return m_recordWordStarts.empty() ? 0 : m_recordWordStarts.size() - 1; }
    // The memory the index holds, in bytes.
    size_t memoryBytes() const;

    struct CloseWord
    {
        uint32_t id;
        double similarity;
    };
    // The words of the list that come close to word: the same, one phonetic key, one name in the table of
    // variants, or one letter added, left out, changed or two swapped; each with its similarity
    // (NameSimilarity::wordSimilarity, or the table's), at least minimum.
    std::vector<CloseWord> closeWords(std::string_view word, double minimum) const;

    std::string_view word(uint32_t id) const
    {
        const uint64_t at = m_wordAt[id];
        const size_t length = at & 0xff, offset = (at >> 8) & ((uint64_t(1) << 55) - 1);
        return (at >> 63 ? m_sourceText : std::string_view(m_text)).substr(offset, length);
    }
    // The records that hold a word, in file order.
    std::span<const uint32_t> recordsWith(uint32_t id) const
    {
        return std::span<const uint32_t>(m_postings)
            .subspan(m_postingStarts[id], m_postingStarts[id + 1] - m_postingStarts[id]);
    }
    // Whether the list holds the word, or one of its variants in the table of name variants.
    bool knows(std::string_view word) const;
    // How many records hold both words.
    uint32_t recordsWithBoth(uint32_t a, uint32_t b) const;
    // The records born on a day (QDate::toJulianDay), by their whole date of birth, in file order.
    std::vector<uint32_t> recordsBornOn(qint64 day) const;
    // Whether a record's names are one word (a surname alone).
    bool hasOneNameWord(uint32_t row) const { return m_oneNameWord[row]; }
    // A record's words in field order, each as id << FieldBits | Field.
    std::span<const uint32_t> recordWords(uint32_t row) const
    {
        return std::span<const uint32_t>(m_recordWords)
            .subspan(m_recordWordStarts[row], m_recordWordStarts[row + 1] - m_recordWordStarts[row]);
    }

private:
    // verbatim: the word's own letters in the list's bytes, if they stand there as they are.
    uint32_t intern(std::string_view word, const char *verbatim);
    void lookUp(const std::vector<uint32_t> &hashes, const std::vector<uint32_t> &ids, uint32_t hash,
                std::vector<uint32_t> &out) const;

    // A word is read where it stands in the list's bytes when it stands there as it is (upper-case ASCII), so that
    // a list of long made-up words costs no second copy of them; the index holds those bytes with the table.
    QByteArray m_source;
    std::string_view m_sourceText;
    std::string m_text;             // the other distinct words, one after another
    std::vector<uint64_t> m_wordAt; // per word: 1 bit in the list's bytes or in m_text, 55 its offset, 8 its length
    std::vector<uint32_t> m_slots;  // open addressing while reading: word id + 1, 0 for a free slot
    std::vector<uint32_t> m_recordWordStarts;
    std::vector<uint32_t> m_recordWords;
    std::vector<uint32_t> m_postingStarts;
    std::vector<uint32_t> m_postings;
    // Sorted by hash: the hash of a phonetic key, or of a word or a word with one letter left out, with its word.
    std::vector<uint32_t> m_keyHashes, m_formHashes; // a hash's low half: a false hit only costs a comparison
    std::vector<uint32_t> m_keyWords, m_formWords;
    std::vector<std::pair<int32_t, uint32_t>> m_births; // whole dates of birth with their records, sorted
    std::vector<bool> m_oneNameWord;
};
