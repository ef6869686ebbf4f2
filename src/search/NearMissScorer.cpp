#include "search/NearMissScorer.h"

#include "engine/ComparisonKey.h"
#include "engine/DateParser.h"
#include "search/NameNormaliser.h"
#include "search/NameSimilarity.h"

#include <algorithm>

// The keys are made once for all the comparisons the words take part in.
struct NearMissScorer::Words
{
    std::vector<std::string> text;
    std::vector<NameSimilarity::Keys> keys;

    Words() = default;
    explicit Words(const std::vector<std::string> &words)
        : text(words)
    {
        keys.reserve(words.size());
        for (const std::string &word : words)
            keys.push_back(NameSimilarity::Keys::of(word));
    }
    size_t size() const { return text.size(); }
    bool empty() const { return text.empty(); }
    const std::string &operator[](size_t i) const { return text[i]; }
    Words operator+(const Words &more) const
    {
        Words all = *this;
        all.text.insert(all.text.end(), more.text.begin(), more.text.end());
        all.keys.insert(all.keys.end(), more.keys.begin(), more.keys.end());
        return all;
    }
};

namespace {

using Words = NearMissScorer::Words;

// Names rarely have more words than this; a longer field is compared by its first ones.
constexpr size_t MaxWords = 8;
constexpr double SurnameWeight = 0.5;
constexpr double SwapFactor = 0.98;
// A given word the person states that the record does not (it has fewer given names).
constexpr double UnstatedGivenWord = 0.8;

QString text(const std::string &word)
{
    return QString::fromLatin1(word);
}

QString joinedText(const Words &words)
{
    QStringList all;
    for (const std::string &word : words.text)
        all.append(text(word));
    return all.join(u' ');
}

std::string concat(const std::vector<std::string> &words)
{
    std::string out;
    for (const std::string &word : words)
        out += word;
    return out;
}

std::string concat(const Words &words)
{
    return concat(words.text);
}

// Each of the person's words and the record's word it is paired with (-1: none left), the most alike pair first.
struct Pairing
{
    std::vector<int> partner;
    std::vector<double> similarity;
};

Pairing pair(const Words &person, const Words &record)
{
    const size_t np = std::min(person.size(), MaxWords), nr = std::min(record.size(), MaxWords);
    double sims[MaxWords][MaxWords];
    for (size_t i = 0; i < np; ++i)
        for (size_t j = 0; j < nr; ++j)
            sims[i][j] = NameSimilarity::wordSimilarity(person[i], person.keys[i], record[j], record.keys[j]);
    Pairing pairing{std::vector<int>(person.size(), -1), std::vector<double>(person.size(), 0.0)};
    std::vector<bool> used(nr, false);
    for (size_t round = 0; round < std::min(np, nr); ++round) {
        double best = -1;
        size_t bi = 0, bj = 0;
        for (size_t i = 0; i < np; ++i) {
            if (pairing.partner[i] >= 0)
                continue;
            for (size_t j = 0; j < nr; ++j) {
                // Ties go to the pair in order, so equal words stay in place.
                if (!used[j] && (sims[i][j] > best || (sims[i][j] == best && i == j))) {
                    best = sims[i][j];
                    bi = i;
                    bj = j;
                }
            }
        }
        pairing.partner[bi] = int(bj);
        pairing.similarity[bi] = best;
        used[bj] = true;
    }
    return pairing;
}

struct FieldScore
{
    double score = 0;
    Pairing pairing;
    bool sameLetters = false; // the same letters, only spaced or marked differently
};

// A field either side leaves empty scores nothing, the same letters score 1; otherwise the words are paired, and
// the caller scores the pairs.
FieldScore pairedField(const Words &person, const Words &record)
{
    FieldScore field;
    if (person.empty() || record.empty())
        return field;
    if (concat(person) == concat(record)) {
        field.score = 1.0;
        field.sameLetters = true;
        return field;
    }
    field.pairing = pair(person, record);
    return field;
}

FieldScore surnameScore(const Words &person, const Words &record)
{
    FieldScore field = pairedField(person, record);
    if (field.pairing.partner.empty())
        return field;
    double sum = 0;
    for (double s : field.pairing.similarity)
        sum += s;
    field.score = sum / double(std::max(person.size(), record.size()));
    if (person.size() != record.size())
        field.score = std::max(field.score, NameSimilarity::wordSimilarity(concat(person), concat(record)));
    return field;
}

// The first given name counts twice as much as each further one; a word the person adds to a record with fewer
// given names costs little, as the exact search lets such a record pass. A first name of the record's that the
// person does not give costs as much as a further word (a middle name the person leaves out costs nothing).
FieldScore givenScore(const Words &person, const Words &record, size_t recordFirstWords)
{
    FieldScore field = pairedField(person, record);
    if (field.pairing.partner.empty())
        return field;
    double sum = 0, weights = 0;
    for (size_t i = 0; i < person.size(); ++i) {
        const double weight = i == 0 ? 1.0 : 0.5;
        sum += weight * (field.pairing.partner[i] >= 0 ? field.pairing.similarity[i] : UnstatedGivenWord);
        weights += weight;
    }
    std::vector<bool> paired(record.size(), false);
    for (int j : field.pairing.partner) {
        if (j >= 0)
            paired[size_t(j)] = true;
    }
    for (size_t j = 0; j < std::min(recordFirstWords, record.size()); ++j)
        weights += paired[j] ? 0.0 : 0.5;
    field.score = sum / weights;
    return field;
}

void explainSurname(const FieldScore &field, const Words &person, const Words &record, const QString &personText,
                    const QString &recordText, QStringList &reasons)
{
    if (field.sameLetters) {
        if (ComparisonKey::of(personText) != ComparisonKey::of(recordText))
            reasons.append(QStringLiteral("surname written differently: %1 / %2")
                               .arg(personText.simplified(), recordText.simplified()));
        return;
    }
    if (person.size() != record.size()) {
        reasons.append(
            QStringLiteral("surname spelled differently: %1 / %2").arg(joinedText(person), joinedText(record)));
        return;
    }
    for (size_t i = 0; i < person.size(); ++i) {
        const int j = field.pairing.partner[i];
        if (j >= 0 && person[i] != record[size_t(j)])
            reasons.append(
                QStringLiteral("surname spelled differently: %1 / %2").arg(text(person[i]), text(record[size_t(j)])));
    }
}

void explainGiven(const FieldScore &field, const Words &person, const Words &record, size_t recordFirstWords,
                  const QString &personText, const QString &recordText, QStringList &reasons)
{
    if (field.sameLetters) {
        if (ComparisonKey::of(personText) != ComparisonKey::of(recordText))
            reasons.append(QStringLiteral("given names written differently: %1 / %2")
                               .arg(personText.simplified(), recordText.simplified()));
        return;
    }
    std::vector<bool> paired(record.size(), false);
    int previous = -1;
    bool inOrder = true;
    for (size_t i = 0; i < person.size(); ++i) {
        const int j = field.pairing.partner[i];
        if (j < 0) {
            reasons.append(QStringLiteral("middle name not on the record: %1").arg(text(person[i])));
            continue;
        }
        paired[size_t(j)] = true;
        inOrder = inOrder && j > previous;
        previous = j;
        if (person[i] != record[size_t(j)])
            reasons.append(QStringLiteral("given name spelled differently: %1 / %2")
                               .arg(text(person[i]), text(record[size_t(j)])));
    }
    if (!inOrder)
        reasons.append(QStringLiteral("given names in other order"));
    for (size_t j = 0; j < record.size(); ++j) {
        if (!paired[j])
            reasons.append(QStringLiteral("%1 missing: %2")
                               .arg(j < recordFirstWords ? QStringLiteral("given name") : QStringLiteral("middle name"),
                                    text(record[j])));
    }
}

QString passportKey(const QString &passport)
{
    QString key;
    for (QChar c : passport) {
        if (c.isLetterOrNumber())
            key += c.toUpper();
    }
    return key;
}

} // namespace

NearMissScorer::NearMissScorer(const NameQuery::Row &person)
    : m_person(person)
    , m_surname(std::make_shared<Words>(NameNormaliser::tokens(person.lastName)))
    , m_given(std::make_shared<Words>(NameNormaliser::tokens(person.firstAndMiddleName)))
    , m_dateOfBirth(DateParser::parse(QStringView(person.dateOfBirth)))
    , m_passport(passportKey(person.passport))
{}

std::vector<std::string> NearMissScorer::words() const
{
    return (*m_surname + *m_given).text;
}

size_t NearMissScorer::surnameWords() const
{
    return m_surname->size();
}

std::string NearMissScorer::joinedSurname() const
{
    return m_surname->size() > 1 ? concat(*m_surname) : std::string();
}

NearMissScorer::Result NearMissScorer::score(const Record &record, bool explain) const
{
    Result result;
    const Words &personSurname = *m_surname, &personGiven = *m_given;
    const Words recordSurname(record.surname), recordFirst(record.first), recordMiddle(record.middle);
    const Words recordGiven = recordFirst + recordMiddle;
    const bool bothGiven = !personGiven.empty() && !recordGiven.empty();

    const FieldScore surname = surnameScore(personSurname, recordSurname);
    const FieldScore given = bothGiven ? givenScore(personGiven, recordGiven, recordFirst.size()) : FieldScore();
    const double straight =
        bothGiven ? SurnameWeight * surname.score + (1 - SurnameWeight) * given.score : surname.score;

    // The surname written as a given name and the other way round: the person's surname against the record's first
    // name, the person's given names against the record's surname and middle names.
    double swapped = 0;
    FieldScore swappedSurname, swappedGiven;
    Words recordOtherGiven;
    if (bothGiven && !recordFirst.empty()) {
        recordOtherGiven = recordSurname + recordMiddle;
        swappedSurname = surnameScore(personSurname, recordFirst);
        swappedGiven = givenScore(personGiven, recordOtherGiven, recordSurname.size());
        swapped = SwapFactor * (SurnameWeight * swappedSurname.score + (1 - SurnameWeight) * swappedGiven.score);
    }
    result.score = std::max(straight, swapped);

    const QString recordGivenText = QStringList{record.firstNameText, record.middleNameText}.join(u' ').simplified();
    if (explain) {
        if (swapped > straight) {
            result.reasons.append(QStringLiteral("surname and given names swapped"));
            if (!swappedSurname.sameLetters)
                explainSurname(swappedSurname, personSurname, recordFirst, m_person.lastName, record.firstNameText,
                               result.reasons);
            if (!swappedGiven.sameLetters)
                explainGiven(swappedGiven, personGiven, recordOtherGiven, recordSurname.size(),
                             m_person.firstAndMiddleName, record.lastNameText, result.reasons);
        } else {
            explainSurname(surname, personSurname, recordSurname, m_person.lastName, record.lastNameText,
                           result.reasons);
            if (bothGiven)
                explainGiven(given, personGiven, recordGiven, recordFirst.size(), m_person.firstAndMiddleName,
                             recordGivenText, result.reasons);
        }
    }

    const QByteArray listedText = record.dateOfBirth.toUtf8();
    const auto listed = DateParser::parseRange(std::string_view(listedText.constData(), size_t(listedText.size())));
    if (!m_dateOfBirth || !listed) {
        // Nothing confirms the names: a little less sure than with an equal date.
        result.score *= NoDateToCompare;
        if (explain)
            result.reasons.append(m_dateOfBirth ? QStringLiteral("no date of birth on the record")
                                                : QStringLiteral("no date of birth given"));
    } else {
        const QDate d = *m_dateOfBirth;
        const QString pair =
            QStringLiteral("%1 / %2").arg(m_person.dateOfBirth.trimmed(), record.dateOfBirth.trimmed());
        const QDate swappedDate = d.day() <= 12 && d.day() != d.month() ? QDate(d.year(), d.day(), d.month()) : QDate();
        const qint64 apart = listed->contains(d) ? 0
                             : d < listed->first ? d.daysTo(listed->first)
                                                 : listed->last.daysTo(d);
        if (apart == 0) {
            if (explain)
                result.reasons.append(QStringLiteral("same date of birth"));
        } else if (swappedDate.isValid() && listed->contains(swappedDate)) {
            result.score *= SwappedDayMonth;
            if (explain)
                result.reasons.append(QStringLiteral("date of birth with day and month swapped: %1").arg(pair));
        } else if (apart <= 366) {
            result.score *= WithinOneYear;
            if (explain)
                result.reasons.append(QStringLiteral("date of birth within one year: %1").arg(pair));
        } else {
            result.score *= OtherDate;
            if (explain)
                result.reasons.append(QStringLiteral("date of birth differs: %1").arg(pair));
        }
    }
    if (!m_passport.isEmpty() && m_passport == passportKey(record.passport)) {
        result.score = std::min(1.0, result.score + SamePassportBonus);
        if (explain)
            result.reasons.append(QStringLiteral("same passport number"));
    }
    return result;
}
