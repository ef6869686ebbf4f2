#include "search/NearMissFinder.h"

#include "engine/TextTable.h"
#include "search/NearMissIndex.h"

#include <algorithm>
#include <bit>

namespace {

// The person's words compared at most; a bit each.
constexpr size_t MaxWords = 8;
// A word this far from the person's can still give a score above the threshold when the others agree.
constexpr double CloseWordMinimum = 0.70;

} // namespace

NearMissFinder::NearMissFinder(const TextTable &table, const NearMissIndex &index, double threshold)
    : m_table(table)
    , m_index(index)
    , m_threshold(threshold)
    , m_lastName(table.columnIndex(QStringLiteral("LASTNAME")))
    , m_firstName(table.columnIndex(QStringLiteral("FIRSTNAME")))
    , m_middleName(table.columnIndex(QStringLiteral("MIDDLENAME")))
    , m_dateOfBirth(table.columnIndex(QStringLiteral("DOB")))
    , m_passport(table.columnIndex(QStringLiteral("PASSPORT/IDNUMBER")))
{}

NearMissScorer::Record NearMissFinder::record(uint32_t row, bool withTexts) const
{
    NearMissScorer::Record record;
    for (uint32_t entry : m_index.recordWords(row)) {
        const std::string word(m_index.word(entry >> 2));
        switch (entry & 3) {
        case NearMissIndex::Surname:
            record.surname.push_back(word);
            break;
        case NearMissIndex::First:
            record.first.push_back(word);
            break;
        case NearMissIndex::Middle:
            record.middle.push_back(word);
            break;
        default:
            break; // the joined surname is for finding the record only
        }
    }
    TextTable::Cursor cursor(m_table);
    cursor.start(row);
    auto text = [&](int column) { return column < 0 ? QString() : m_table.decode(cursor.field(column)); };
    // Fields are split in column order, so they are read in that order.
    int order[] = {m_lastName, m_firstName, m_middleName, m_dateOfBirth, m_passport};
    QString *into[] = {&record.lastNameText, &record.firstNameText, &record.middleNameText, &record.dateOfBirth,
                       &record.passport};
    for (int i = 0; i < 5; ++i) {
        if (i < 3 && !withTexts)
            continue;
        *into[i] = text(order[i]);
    }
    return record;
}

std::vector<NearMiss> NearMissFinder::find(const NameQuery::Row &person, const std::vector<uint64_t> &exactStarts,
                                           size_t limit) const
{
    const NearMissScorer scorer(person);
    std::vector<std::string> words = scorer.words();
    if (words.empty() || m_index.recordCount() == 0)
        return {};
    if (words.size() > MaxWords - 1)
        words.resize(MaxWords - 1);
    // A record must come close by the surname (or hold it as a given name): given names alone are too common.
    uint32_t surnameBits = (1u << std::min(scorer.surnameWords(), words.size())) - 1;
    const std::string joined = scorer.joinedSurname();
    if (!joined.empty()) {
        surnameBits |= 1u << words.size();
        words.push_back(joined);
    }
    if (m_wordsHeld.size() != m_index.recordCount())
        m_wordsHeld.assign(m_index.recordCount(), 0);

    std::vector<uint32_t> touched;
    for (size_t i = 0; i < words.size(); ++i) {
        for (const NearMissIndex::CloseWord &close : m_index.closeWords(words[i], CloseWordMinimum)) {
            for (uint32_t row : m_index.recordsWith(close.id)) {
                uint8_t &held = m_wordsHeld[row];
                if (held == 0)
                    touched.push_back(row);
                held |= uint8_t(1u << i);
            }
        }
    }

    std::vector<uint64_t> exact = exactStarts;
    std::sort(exact.begin(), exact.end());
    std::vector<NearMiss> found;
    for (uint32_t row : touched) {
        const unsigned bits = m_wordsHeld[row];
        const int held = std::popcount(bits);
        m_wordsHeld[row] = 0;
        if (!(bits & surnameBits))
            continue;
        const size_t needed = std::min<size_t>({2, words.size(), m_index.recordWords(row).size()});
        if (size_t(held) < needed)
            continue;
        if (std::binary_search(exact.begin(), exact.end(), m_table.recordStart(row)))
            continue;
        const double score = scorer.score(record(row, false), false).score;
        if (score >= m_threshold)
            found.push_back({row, score, {}});
    }
    std::sort(found.begin(), found.end(), [](const NearMiss &a, const NearMiss &b) {
        return a.score != b.score ? a.score > b.score : a.row < b.row;
    });
    if (found.size() > limit)
        found.resize(limit);
    for (NearMiss &miss : found)
        miss.reasons = scorer.score(record(miss.row, true), true).reasons;
    return found;
}

QList<NearMissRecord> NearMissFinder::records(const NameQuery::Row &person, const std::vector<uint64_t> &exactStarts,
                                              const QString &listName, const QStringList &columns, size_t limit) const
{
    QList<NearMissRecord> out;
    for (const NearMiss &miss : find(person, exactStarts, limit))
        out.append({listName, columns, fields(miss.row), miss.row, miss.score, miss.reasons});
    return out;
}

std::vector<std::optional<QString>> NearMissFinder::fields(uint32_t row) const
{
    TextTable::Cursor cursor(m_table);
    cursor.start(row);
    std::vector<std::optional<QString>> out(size_t(m_table.columnCount()));
    for (int c = 0; c < m_table.columnCount(); ++c) {
        const std::string_view field = cursor.field(c);
        if (!field.empty())
            out[size_t(c)] = m_table.decode(field);
    }
    return out;
}
