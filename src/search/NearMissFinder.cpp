#include "search/NearMissFinder.h"

#include "engine/TextTable.h"
#include "search/NearMissIndex.h"

#include <algorithm>
#include <bit>

namespace {

// A word this far from the person's can still give a score above the threshold when the others agree.
constexpr double CloseWordMinimum = 0.70;
// The candidates of one name that are scored in full, the likeliest first: a name that thousands of listed
// people share costs no more than this many scorings.
constexpr size_t MaxScored = 200;

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
    record.listSize = uint32_t(m_index.recordCount());
    for (uint32_t entry : m_index.recordWords(row)) {
        const uint32_t id = entry >> NearMissIndex::FieldBits;
        const std::string word(m_index.word(id));
        switch (entry & ((1u << NearMissIndex::FieldBits) - 1)) {
        case NearMissIndex::Surname:
            if (record.surname.empty())
                record.surnameShare = m_index.share(id);
            record.surname.push_back(word);
            break;
        case NearMissIndex::First:
            if (record.first.empty())
                record.firstNameShare = m_index.share(id);
            record.first.push_back(word);
            break;
        case NearMissIndex::Middle:
            record.middle.push_back(word);
            break;
        default:
            break; // the joined and core forms are for finding the record only
        }
    }
    TextTable::Cursor cursor(m_table);
    cursor.start(row);
    auto text = [&](int column) { return column < 0 ? QString() : m_table.decode(cursor.field(column)); };
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
    const std::vector<std::string> all = scorer.words();
    if (all.empty() || m_index.recordCount() == 0)
        return {};
    const size_t surnameWords = scorer.surnameWords();

    // The words looked up, a bit each: the surname's (as written, without particles, and joined), then the given
    // names' (each, and joined). A record is a candidate when it comes close by the surname (or holds it as a given
    // name: given names alone are too common) and by one more part of the name, or by the surname and a date of
    // birth that agrees.
    std::vector<std::string> looked;
    uint32_t surnameBits = 0, joinedGivenBit = 0;
    std::vector<char> initials;
    size_t givenParts = 0;
    auto look = [&](const std::string &word) {
        looked.push_back(word);
        return 1u << (looked.size() - 1);
    };
    for (size_t i = 0; i < surnameWords; ++i)
        surnameBits |= look(all[i]);
    for (const std::string &core : scorer.coreSurname())
        surnameBits |= look(core);
    if (const std::string joined = scorer.joinedSurname(); !joined.empty())
        surnameBits |= look(joined);
    for (size_t i = surnameWords; i < all.size(); ++i) {
        ++givenParts;
        if (all[i].size() == 1)
            initials.push_back(all[i][0]); // an initial finds nothing by itself; it is checked on the candidates
        else
            look(all[i]);
    }
    if (const std::string joined = scorer.joinedGiven(); !joined.empty())
        joinedGivenBit = look(joined);
    const uint32_t givenBits = ((looked.size() >= 32 ? 0 : 1u << looked.size()) - 1) & ~surnameBits & ~joinedGivenBit;

    if (m_wordsHeld.size() != m_index.recordCount())
        m_wordsHeld.assign(m_index.recordCount(), 0);
    std::vector<uint32_t> touched;
    for (size_t i = 0; i < looked.size(); ++i) {
        for (const NearMissIndex::CloseWord &close : m_index.closeWords(looked[i], CloseWordMinimum)) {
            for (uint32_t row : m_index.recordsWith(close.id)) {
                uint32_t &held = m_wordsHeld[row];
                if (held == 0)
                    touched.push_back(row);
                held |= 1u << i;
            }
        }
    }

    // The days of the dates that agree with the person's: the same, day and month swapped, a year apart.
    std::vector<qint64> agreeing;
    if (const auto day = scorer.dateOfBirth()) {
        const QDate d = QDate::fromJulianDay(*day);
        for (const QDate other : {d, d.day() <= 12 ? QDate(d.year(), d.day(), d.month()) : QDate(),
                                  QDate(d.year() - 1, d.month(), d.day()), QDate(d.year() + 1, d.month(), d.day())}) {
            if (other.isValid())
                agreeing.push_back(other.toJulianDay());
        }
    }
    auto dateAgrees = [&](uint32_t row) {
        const auto [first, last] = m_index.dateOfBirth(row);
        return first != 0 && first == last && std::find(agreeing.begin(), agreeing.end(), first) != agreeing.end();
    };
    auto holdsInitial = [&](uint32_t row) {
        size_t found = 0;
        for (char initial : initials) {
            for (uint32_t entry : m_index.recordWords(row)) {
                const uint32_t field = entry & ((1u << NearMissIndex::FieldBits) - 1);
                if ((field == NearMissIndex::First || field == NearMissIndex::Middle) &&
                    m_index.word(entry >> NearMissIndex::FieldBits)[0] == initial) {
                    ++found;
                    break;
                }
            }
        }
        return found;
    };

    std::vector<uint64_t> exact = exactStarts;
    std::sort(exact.begin(), exact.end());
    struct Candidate
    {
        uint32_t row;
        uint32_t likelihood;
    };
    std::vector<Candidate> candidates;
    const size_t personParts = (surnameWords > 0 ? 1 : 0) + givenParts;
    for (uint32_t row : touched) {
        const uint32_t bits = m_wordsHeld[row];
        m_wordsHeld[row] = 0;
        if (!(bits & surnameBits))
            continue;
        size_t held = 1 + size_t(std::popcount(bits & givenBits));
        if (bits & joinedGivenBit)
            held = std::max(held, 1 + givenParts);
        if (!initials.empty() && held < personParts)
            held += holdsInitial(row);
        size_t recordWords = 0;
        for (uint32_t entry : m_index.recordWords(row))
            recordWords += (entry & ((1u << NearMissIndex::FieldBits) - 1)) <= NearMissIndex::Middle ? 1 : 0;
        const bool agrees = dateAgrees(row);
        if (held < std::min<size_t>({2, personParts, recordWords}) && !agrees)
            continue;
        if (std::binary_search(exact.begin(), exact.end(), m_table.recordStart(row)))
            continue;
        candidates.push_back({row, uint32_t(held * 2 + (agrees ? 1 : 0))});
    }
    if (candidates.size() > MaxScored) {
        std::nth_element(candidates.begin(), candidates.begin() + MaxScored, candidates.end(),
                         [](const Candidate &a, const Candidate &b) {
                             return a.likelihood != b.likelihood ? a.likelihood > b.likelihood : a.row < b.row;
                         });
        candidates.resize(MaxScored);
    }

    struct Scored
    {
        uint32_t row;
        NearMissScorer::Result result;
    };
    std::vector<Scored> found;
    for (const Candidate &candidate : candidates) {
        NearMissScorer::Result result = scorer.score(record(candidate.row, false), false);
        if (result.score >= m_threshold)
            found.push_back({candidate.row, std::move(result)});
    }
    std::sort(found.begin(), found.end(), [](const Scored &a, const Scored &b) {
        if (NearMissScorer::strongerEvidence(a.result, b.result))
            return true;
        if (NearMissScorer::strongerEvidence(b.result, a.result))
            return false;
        return a.row < b.row;
    });
    if (found.size() > limit)
        found.resize(limit);
    std::vector<NearMiss> out;
    for (const Scored &scored : found)
        out.push_back({scored.row, scored.result.score, scorer.score(record(scored.row, true), true).reasons});
    return out;
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
