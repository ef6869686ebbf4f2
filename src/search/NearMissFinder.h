#pragma once

#include "search/NameQuery.h"
#include "search/NearMissRecord.h"
#include "search/NearMissScorer.h"

#include <QStringList>

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

class NearMissIndex;
class TextTable;

// One record of a list that comes close to a person.
struct NearMiss
{
    uint32_t row = 0; // the record's place in the list, from 0
    double score = 0;
    QStringList reasons;
};

// Finds, for one person, the records of a list whose names come close to the person's without the exact search
// finding them: the records that come close by the surname and by one more part of the name (or every part of
// the shorter name), or by the surname and a date of birth that agrees, each word spelled the same, close, or
// one name in another romanisation; scored by NearMissScorer. An advisory only; it decides nothing.
class NearMissFinder
{
public:
    static constexpr double DefaultThreshold = 0.85;
    static constexpr size_t DefaultLimit = 10;

    NearMissFinder(const TextTable &table, const NearMissIndex &index, double threshold = DefaultThreshold);

    // The records scoring at least the threshold, best first (ties by the evidence, then in file order), at most
    // limit; exactStarts are
    // the records the exact search found for the person (by their start in the file), which are never near misses.
    // Not safe to call from two threads at once.
    std::vector<NearMiss> find(const NameQuery::Row &person, const std::vector<uint64_t> &exactStarts = {},
                               size_t limit = DefaultLimit) const;

    // How many records the last find() scored in full: at most MaxScored, whatever the name and the list.
    size_t lastScored() const { return m_lastScored; }
    // The candidates of one name that are scored in full, the likeliest first: a name that thousands of listed
    // people share costs no more than this many scorings.
    static constexpr size_t MaxScored = 200;

    // A record's fields as a search hands them out: an empty field is nullopt.
    std::vector<std::optional<QString>> fields(uint32_t row) const;

    // find(), each near miss with its record's fields, as the window and the batch show them.
    QList<NearMissRecord> records(const NameQuery::Row &person, const std::vector<uint64_t> &exactStarts,
                                  const QString &listName, const QStringList &columns,
                                  size_t limit = DefaultLimit) const;

private:
    NearMissScorer::Record record(uint32_t row, bool withTexts, bool withPassport) const;

    const TextTable &m_table;
    const NearMissIndex &m_index;
    double m_threshold;
    int m_lastName, m_firstName, m_middleName, m_dateOfBirth, m_passport;
    mutable std::unordered_map<uint64_t, uint32_t> m_bearers; // surname and first name ids: records bearing both
    mutable std::vector<uint16_t> m_wordsHeld; // per record, what it holds of the person's name, a bit a part
    mutable size_t m_lastScored = 0;
};
