#include "search/NearMissFinder.h"

#include "engine/DateParser.h"
#include "engine/TextTable.h"
#include "search/NearMissIndex.h"

#include <algorithm>
#include <bit>

namespace {

// A word this far from the person's can still give a score above the threshold when the others agree.
constexpr double CloseWordMinimum = 0.70;
// What a record holds of the person's name, a bit each.
constexpr uint16_t SurnameBit = 1, FirstGivenBit = 2, SplitBit = 1 << 9, JoinedGivenBit = 1 << 10,
                   DateAgreesBit = 1 << 11;
constexpr uint32_t DateAgreesWeight = 64;
constexpr size_t MaxNamesRemembered = 1 << 16;
constexpr size_t GivenWordBits = 8; // given names past the eighth are compared, not looked up
constexpr uint16_t GivenWordsMask = ((1 << GivenWordBits) - 1) << 1;

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

NearMissScorer::Record NearMissFinder::record(uint32_t row, bool withTexts, bool withPassport) const
{
    NearMissScorer::Record record;
    uint32_t surnameId = UINT32_MAX, firstId = UINT32_MAX;
    for (uint32_t entry : m_index.recordWords(row)) {
        const uint32_t id = entry >> NearMissIndex::FieldBits;
        const std::string word(m_index.word(id));
        switch (entry & ((1u << NearMissIndex::FieldBits) - 1)) {
        case NearMissIndex::Surname:
            if (record.surname.empty())
                surnameId = id;
            record.surname.push_back(word);
            break;
        case NearMissIndex::First:
            if (record.first.empty())
                firstId = id;
            record.first.push_back(word);
            break;
        case NearMissIndex::Middle:
            record.middle.push_back(word);
            break;
        default:
            break; // the joined and core forms are for finding the record only
        }
    }
    // Counted once for each name the candidates of one person bear; a name of common words costs a walk through
    // their records.
    if (surnameId != UINT32_MAX && firstId != UINT32_MAX) {
        const uint64_t key = uint64_t(surnameId) << 32 | firstId;
        auto [at, added] = m_bearers.try_emplace(key, 0);
        if (added)
            at->second = m_index.recordsWithBoth(surnameId, firstId);
        record.nameBearers = at->second;
    }
    TextTable::Cursor cursor(m_table);
    cursor.start(row);
    auto text = [&](int column) { return column < 0 ? QString() : m_table.decode(cursor.field(column)); };
    if (m_dateOfBirth >= 0) {
        record.date = DateParser::parseRange(cursor.field(m_dateOfBirth));
        record.dateRead = true;
    }
    if (withTexts) {
        record.lastNameText = text(m_lastName);
        record.firstNameText = text(m_firstName);
        record.middleNameText = text(m_middleName);
        record.dateOfBirth = text(m_dateOfBirth);
    }
    // The passport is read only where it can count.
    if (withTexts || withPassport)
        record.passport = text(m_passport);
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

    // The words looked up, each with the bit it marks a record with: one for all of the surname's (as written,
    // without particles, and joined), one for each given name, one for a given name split in two and one for the
    // given names joined. A record is a candidate when it comes close by the surname (or holds it as a given name:
    // given names alone are too common) and by one more part of the name, or by the surname and a date of birth
    // that agrees.
    std::vector<std::pair<std::string, uint16_t>> looked;
    std::vector<char> initials;
    size_t givenParts = 0;
    for (size_t i = 0; i < surnameWords; ++i)
        looked.emplace_back(all[i], SurnameBit);
    for (const std::string &core : scorer.coreSurname())
        looked.emplace_back(core, SurnameBit);
    if (const std::string joined = scorer.joinedSurname(); !joined.empty())
        looked.emplace_back(joined, SurnameBit);
    bool split = false;
    for (size_t i = surnameWords; i < all.size(); ++i) {
        ++givenParts;
        if (all[i].size() == 1) {
            initials.push_back(all[i][0]); // an initial finds nothing by itself; it is checked on the candidates
            continue;
        }
        if (givenParts <= GivenWordBits)
            looked.emplace_back(all[i], uint16_t(FirstGivenBit << (givenParts - 1)));
        // Given names the person writes as one that the list writes apart (HUNGCHENG, HUNG CHENG): a word the list
        // does not know, split where it knows both halves, at most once, either half counting for the word.
        if (split || m_index.knows(all[i]))
            continue;
        for (size_t at = 2; at + 2 <= all[i].size() && !split; ++at) {
            const std::string left = all[i].substr(0, at), right = all[i].substr(at);
            if (m_index.knows(left) && m_index.knows(right)) {
                looked.emplace_back(left, SplitBit);
                looked.emplace_back(right, SplitBit);
                split = true;
            }
        }
    }
    if (const std::string joined = scorer.joinedGiven(); !joined.empty())
        looked.emplace_back(joined, JoinedGivenBit);

    if (m_wordsHeld.size() != m_index.recordCount())
        m_wordsHeld.assign(m_index.recordCount(), 0);
    if (m_bearers.size() > MaxNamesRemembered)
        m_bearers.clear();
    // Only a record the surname finds can be a candidate, so the surname's words are looked up first; the given
    // names' words then only mark those records.
    std::vector<uint32_t> touched;
    for (const auto &[word, bit] : looked) {
        if (bit != SurnameBit)
            continue;
        for (const NearMissIndex::CloseWord &close : m_index.closeWords(word, CloseWordMinimum)) {
            for (uint32_t row : m_index.recordsWith(close.id)) {
                uint16_t &held = m_wordsHeld[row];
                if (held == 0)
                    touched.push_back(row);
                held |= bit;
            }
        }
    }
    for (const auto &[word, bit] : looked) {
        if (bit == SurnameBit)
            continue;
        for (const NearMissIndex::CloseWord &close : m_index.closeWords(word, CloseWordMinimum)) {
            for (uint32_t row : m_index.recordsWith(close.id)) {
                if (m_wordsHeld[row] != 0)
                    m_wordsHeld[row] |= bit;
            }
        }
    }

    // The records whose whole date of birth agrees with the person's: the same, day and month swapped, a year
    // apart. They are marked among those the surname found, before those are read.
    if (const auto day = scorer.dateOfBirth()) {
        const QDate d = QDate::fromJulianDay(*day);
        for (const QDate other : {d, d.day() <= 12 ? QDate(d.year(), d.day(), d.month()) : QDate(),
                                  QDate(d.year() - 1, d.month(), d.day()), QDate(d.year() + 1, d.month(), d.day())}) {
            if (!other.isValid())
                continue;
            for (uint32_t row : m_index.recordsBornOn(other.toJulianDay())) {
                if (m_wordsHeld[row] & SurnameBit)
                    m_wordsHeld[row] |= DateAgreesBit;
            }
        }
    }
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
    const size_t needed = std::min<size_t>(2, personParts);
    for (uint32_t row : touched) {
        const uint16_t bits = m_wordsHeld[row];
        m_wordsHeld[row] = 0;
        if (!(bits & SurnameBit))
            continue;
        size_t held = 1 + size_t(std::popcount(unsigned(bits & GivenWordsMask))) + ((bits & SplitBit) ? 1 : 0);
        if (bits & JoinedGivenBit)
            held = std::max(held, 1 + givenParts);
        // Most records a surname finds hold nothing more; they are passed over without reading their words.
        if (!initials.empty() && held < needed)
            held += holdsInitial(row);
        const bool agrees = bits & DateAgreesBit;
        if (held < needed && !agrees && !m_index.hasOneNameWord(row))
            continue;
        if (std::binary_search(exact.begin(), exact.end(), m_table.recordStart(row)))
            continue;
        // A date that agrees says more than any further word of a name that many share.
        candidates.push_back({row, uint32_t(held + (agrees ? DateAgreesWeight : 0))});
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
    m_lastScored = candidates.size();
    for (const Candidate &candidate : candidates) {
        NearMissScorer::Result result = scorer.score(record(candidate.row, false, scorer.hasPassport()), false);
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
        out.push_back({scored.row, scored.result.score, scorer.score(record(scored.row, true, true), true).reasons});
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
