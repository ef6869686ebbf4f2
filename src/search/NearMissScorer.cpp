#include "search/NearMissScorer.h"

#include "engine/ComparisonKey.h"
#include "search/NameNormaliser.h"
#include "search/NameSimilarity.h"
#include "search/NameVariants.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

// The keys are made once for all the comparisons the words take part in.
struct NearMissScorer::Words
{
    std::vector<std::string> text;
    std::vector<NameSimilarity::Keys> keys;
    std::vector<std::vector<std::string>> variants; // the keys of the table of name variants

    Words() = default;
    explicit Words(const std::vector<std::string> &words)
    {
        for (const std::string &word : words) {
            if (text.size() == MaxWords)
                break;
            text.push_back(word.substr(0, MaxWordLength));
            const Made &made = keysOf(text.back());
            keys.push_back(made.keys);
            variants.push_back(made.variants);
        }
    }

    // A word's keys, made once per thread for the many records that hold the word.
    struct Made
    {
        NameSimilarity::Keys keys;
        std::vector<std::string> variants;
        bool particle = false;
        std::string withoutPrefix;
    };
    static const Made &keysOf(const std::string &word)
    {
        thread_local std::unordered_map<std::string, Made> made;
        if (made.size() >= MaxRemembered)
            made.clear();
        auto [at, added] = made.try_emplace(word);
        if (added)
            at->second = {NameSimilarity::Keys::of(word), NameVariants::keys(word), NameVariants::isParticle(word),
                          NameVariants::withoutPrefix(word)};
        return at->second;
    }
    static constexpr size_t MaxRemembered = 1 << 16;
    size_t size() const { return text.size(); }
    bool empty() const { return text.empty(); }
    const std::string &operator[](size_t i) const { return text[i]; }
    Words operator+(const Words &more) const
    {
        Words all = *this;
        all.text.insert(all.text.end(), more.text.begin(), more.text.end());
        all.keys.insert(all.keys.end(), more.keys.begin(), more.keys.end());
        all.variants.insert(all.variants.end(), more.variants.begin(), more.variants.end());
        return all;
    }
};

namespace {

using Words = NearMissScorer::Words;
using Evidence = NearMissScorer::DateEvidence;

constexpr size_t MaxWords = NearMissScorer::MaxWords;
constexpr double SurnameWeight = 0.5;
// The other arrangements of a name cost a little, so that the name as written wins a tie.
constexpr double SwapFactor = 0.98;
constexpr double UnorderedFactor = 0.96;
// A surname that is one part of the other's compound surname (PEREZ of FLORES PEREZ), or the same without its
// particles (BERG of VAN DER BERG).
constexpr double PartOfCompound = 0.94;
constexpr double WithoutParticles = 0.97;
// A name the table makes one in another romanisation (YI and LEE), and an initial for a given name (J for JOHN).
constexpr double OtherRomanisation = 0.96;
constexpr double InitialOfName = 0.90;
constexpr double DifferentWord = 0.8;
// What a given word the other side does not hold leaves of the given names' score: a middle name little, the
// first given name much (it is another person's first name).
constexpr double UnpairedMiddleWord = 0.8;
constexpr double UnpairedFirstWord = 0.3;
constexpr double OtherOrder = 0.95;

enum class Kind { Equal, Initial, Romanised, Spelled, Different };

struct Similar
{
    double value;
    Kind kind;
};

bool shareAny(const std::vector<std::string> &a, const std::vector<std::string> &b)
{
    for (const std::string &key : a) {
        if (std::find(b.begin(), b.end(), key) != b.end())
            return true;
    }
    return false;
}

// Word i of a against word j of b.
Similar similar(const Words &a, size_t i, const Words &b, size_t j, bool initials)
{
    const std::string &x = a[i], &y = b[j];
    if (x == y)
        return {1.0, Kind::Equal};
    if (initials && (x.size() == 1 || y.size() == 1) && x[0] == y[0])
        return {InitialOfName, Kind::Initial};
    // Words that share a phonetic key are raised half-way towards 1 (NameSimilarity::wordSimilarity). Words this
    // unlike are not two letters apart; the edit count, which costs the most, is left out for them.
    const double jw = NameSimilarity::jaroWinkler(x, y);
    const bool sharesKey = a.keys[i].shares(b.keys[j]);
    const double value = sharesKey ? std::max(jw, 0.5 + 0.5 * jw) : jw;
    const bool spelled =
        sharesKey || (jw >= (std::min(x.size(), y.size()) >= 6 ? 0.6 : 0.85) && NameSimilarity::withinTwoEdits(x, y));
    if (shareAny(a.variants[i], b.variants[j]))
        return {std::max(value, OtherRomanisation), spelled ? Kind::Spelled : Kind::Romanised};
    // Letters in common do not make another word the same name (ORTIZ and MARTINEZ).
    return spelled ? Similar{value, Kind::Spelled} : Similar{value * DifferentWord, Kind::Different};
}

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

std::string concat(const Words &words)
{
    std::string out;
    for (const std::string &word : words.text)
        out += word;
    return out;
}

QString kindText(Kind kind)
{
    switch (kind) {
    case Kind::Initial:
        return QStringLiteral("as an initial");
    case Kind::Romanised:
        return QStringLiteral("in another romanisation");
    case Kind::Spelled:
        return QStringLiteral("spelled differently");
    default:
        return QStringLiteral("a different word");
    }
}

// Words written as one, compared as words are; 0 unless they are the same letters but for a spelling (a shared
// phonetic key, or two letters apart): GARCIARUIZ is not GARCIA written together.
double joinedSimilarity(const std::string &a, const std::string &b)
{
    const NameSimilarity::Keys &keysOfA = Words::keysOf(a).keys, &keysOfB = Words::keysOf(b).keys;
    if (!keysOfA.shares(keysOfB) && !NameSimilarity::withinTwoEdits(a, b))
        return 0;
    return NameSimilarity::wordSimilarity(a, keysOfA, b, keysOfB);
}

// NameVariants::coreWords, through the words' keys made once.
std::vector<std::string> coreWords(const std::vector<std::string> &surname)
{
    std::vector<std::string> core;
    for (const std::string &word : surname) {
        const Words::Made &made = Words::keysOf(word);
        if (!made.particle)
            core.push_back(made.withoutPrefix.empty() ? word : made.withoutPrefix);
    }
    return core.empty() ? surname : core;
}

// Each of the person's words and the record's word it is paired with (-1: none left), the most alike pair first.
struct Pairing
{
    std::vector<int> partner;
    std::vector<Similar> similar;
};

Pairing pair(const Words &person, const Words &record, bool initials)
{
    // A whole name is at most a surname, first names and middle names of MaxWords each; words past that are left
    // unpaired.
    constexpr size_t MaxPaired = 3 * MaxWords;
    const size_t np = std::min(person.size(), MaxPaired), nr = std::min(record.size(), MaxPaired);
    Similar sims[MaxPaired][MaxPaired];
    for (size_t i = 0; i < np; ++i)
        for (size_t j = 0; j < nr; ++j)
            sims[i][j] = similar(person, i, record, j, initials);
    Pairing pairing{std::vector<int>(person.size(), -1),
                    std::vector<Similar>(person.size(), Similar{0.0, Kind::Different})};
    std::vector<bool> used(nr, false);
    for (size_t round = 0; round < std::min(np, nr); ++round) {
        double best = -1;
        size_t bi = 0, bj = 0;
        for (size_t i = 0; i < np; ++i) {
            if (pairing.partner[i] >= 0)
                continue;
            for (size_t j = 0; j < nr; ++j) {
                // Ties go to the pair in order, so equal words stay in place.
                if (!used[j] && (sims[i][j].value > best || (sims[i][j].value == best && i == j))) {
                    best = sims[i][j].value;
                    bi = i;
                    bj = j;
                }
            }
        }
        pairing.partner[bi] = int(bj);
        pairing.similar[bi] = sims[bi][bj];
        used[bj] = true;
    }
    return pairing;
}

bool inOrder(const Pairing &pairing)
{
    int previous = -1;
    for (int j : pairing.partner) {
        if (j < 0)
            continue;
        if (j < previous)
            return false;
        previous = j;
    }
    return true;
}

// How one field compares and in which way, for the score and for the reasons.
struct FieldScore
{
    enum Way { Empty, SameLetters, Paired, Joined, Compound, Particles, Initials };
    double score = 0;
    Way way = Empty;
    Pairing pairing;
    Words person, record; // the words compared
};

FieldScore surnameScore(const Words &person, const Words &record)
{
    FieldScore best;
    if (person.empty() || record.empty())
        return best;
    if (concat(person) == concat(record))
        return {1.0, FieldScore::SameLetters, {}, person, record};
    auto consider = [&best](FieldScore field) {
        if (field.score > best.score)
            best = std::move(field);
    };
    // Most surnames have no particles: their words are compared as they are.
    const std::vector<std::string> personCoreText = coreWords(person.text), recordCoreText = coreWords(record.text);
    const bool personParticles = personCoreText != person.text, recordParticles = recordCoreText != record.text;
    Words personCoreWords, recordCoreWords;
    if (personParticles)
        personCoreWords = Words(personCoreText);
    if (recordParticles)
        recordCoreWords = Words(recordCoreText);
    const Words &personCore = personParticles ? personCoreWords : person,
                &recordCore = recordParticles ? recordCoreWords : record;
    const bool particles = personParticles || recordParticles;
    if (particles && concat(personCore) == concat(recordCore)) {
        consider({WithoutParticles, FieldScore::Particles, {}, person, record});
        return best;
    }
    const double factor = particles ? WithoutParticles : 1.0;
    FieldScore paired{0, FieldScore::Paired, pair(personCore, recordCore, false), personCore, recordCore};
    double sum = 0;
    for (const Similar &s : paired.pairing.similar)
        sum += s.value;
    const size_t longer = std::max(personCore.size(), recordCore.size());
    paired.score = factor * sum / double(longer);
    // The words of a compound surname in another order (LOPEZ GOMEZ and GOMEZ LOPEZ) are often another family.
    if (!inOrder(paired.pairing))
        paired.score *= OtherOrder;
    consider(paired);
    if (personCore.size() != recordCore.size()) {
        const std::string a = concat(personCore), b = concat(recordCore);
        consider({factor * joinedSimilarity(a, b), FieldScore::Joined, {}, personCore, recordCore});
        // One surname a part of the other's compound: every word of the shorter close to one of the longer.
        double shorterSum = 0, weakest = 1;
        size_t pairedWords = 0;
        for (const Similar &s : paired.pairing.similar) {
            shorterSum += s.value;
            weakest = std::min(weakest, s.value);
            pairedWords += s.value > 0 ? 1 : 0;
        }
        const size_t shorter = std::min(personCore.size(), recordCore.size());
        if (pairedWords == shorter && weakest >= 0.85) {
            FieldScore compound = paired;
            compound.way = FieldScore::Compound;
            compound.score = factor * PartOfCompound * shorterSum / double(shorter);
            consider(compound);
        }
    }
    return best;
}

// The first given name counts twice as much as each further one. A word the person adds to a record with fewer
// given names costs little when it is a middle name (the exact search lets such a record pass) and much when it
// is the first; a first name of the record's that the person does not give costs as much as a further word (a
// middle name the person leaves out costs nothing).
FieldScore givenScore(const Words &person, const Words &record, size_t recordFirstWords)
{
    FieldScore field{0, FieldScore::Paired, {}, person, record};
    if (person.empty() || record.empty())
        return {};
    if (concat(person) == concat(record))
        return {1.0, FieldScore::SameLetters, {}, person, record};
    // Initials alone (J, J R) stand for the given names in order, however many words the record writes them in.
    if (std::all_of(person.text.begin(), person.text.end(), [](const std::string &w) { return w.size() == 1; })) {
        bool prefix = person.size() <= record.size();
        for (size_t i = 0; prefix && i < person.size(); ++i)
            prefix = record[i][0] == person[i][0];
        if (prefix)
            return {InitialOfName, FieldScore::Initials, {}, person, record};
    }
    field.pairing = pair(person, record, true);
    double sum = 0, weights = 0;
    for (size_t i = 0; i < person.size(); ++i) {
        const double weight = i == 0 ? 1.0 : 0.5;
        const bool paired = field.pairing.partner[i] >= 0;
        sum += weight * (paired ? field.pairing.similar[i].value : i == 0 ? UnpairedFirstWord : UnpairedMiddleWord);
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
    // Given names in another order are often another name (MIN SEONG is not SEONG MIN).
    if (!inOrder(field.pairing))
        field.score *= OtherOrder;
    // Given names written together or apart (HUNG CHENG, HUNG-CHENG, HONGCHENG).
    if (person.size() != record.size()) {
        const std::string a = concat(person), b = concat(record);
        const double joined = a.size() >= 4 && b.size() >= 4 ? joinedSimilarity(a, b) : 0.0;
        if (joined > field.score)
            return {joined, FieldScore::Joined, {}, person, record};
    }
    return field;
}

// The whole names as one unordered set of words (LINH, LE KIM and LE, KIM LINH).
double unorderedScore(const Words &person, const Words &record)
{
    if (person.size() < 2 || record.size() < 2)
        return 0;
    const Pairing pairing = pair(person, record, false);
    double sum = 0;
    for (const Similar &s : pairing.similar)
        sum += s.value;
    return UnorderedFactor * sum / double(std::max(person.size(), record.size()));
}

// The names differ only in how their words are spelled: the same words in the same places, none a different word.
bool sameShape(const FieldScore &field, bool given)
{
    switch (field.way) {
    case FieldScore::SameLetters:
    case FieldScore::Particles:
    case FieldScore::Initials:
    case FieldScore::Joined:
    case FieldScore::Compound: // one of two surnames, as people of two surnames often write themselves
        return true;
    case FieldScore::Paired:
        break;
    default:
        return false;
    }
    if ((!given && field.person.size() != field.record.size()) || !inOrder(field.pairing))
        return false;
    for (size_t i = 0; i < field.person.size(); ++i) {
        const int j = field.pairing.partner[i];
        if (j < 0 || (given && j != int(i)) || field.pairing.similar[i].kind == Kind::Different)
            return false;
    }
    return true;
}

void explainSurname(const FieldScore &field, const QString &personText, const QString &recordText, QStringList &reasons)
{
    const QString pair = QStringLiteral("%1 / %2").arg(personText.simplified(), recordText.simplified());
    switch (field.way) {
    case FieldScore::Empty:
    case FieldScore::Initials:
        return;
    case FieldScore::SameLetters:
        reasons.append(ComparisonKey::of(personText) == ComparisonKey::of(recordText)
                           ? QStringLiteral("surname equal: %1").arg(recordText.simplified())
                           : QStringLiteral("surname written differently: %1").arg(pair));
        return;
    case FieldScore::Particles:
        reasons.append(QStringLiteral("surname with its particles left out: %1").arg(pair));
        return;
    case FieldScore::Compound:
        reasons.append(QStringLiteral("surname one part of the other's: %1").arg(pair));
        return;
    case FieldScore::Joined:
        reasons.append(QStringLiteral("surname written together or apart: %1").arg(pair));
        return;
    case FieldScore::Paired:
        break;
    }
    if (!inOrder(field.pairing))
        reasons.append(QStringLiteral("surname words in other order: %1").arg(pair));
    for (size_t i = 0; i < field.person.size(); ++i) {
        const int j = field.pairing.partner[i];
        if (j >= 0 && field.pairing.similar[i].kind != Kind::Equal)
            reasons.append(QStringLiteral("surname %1: %2 / %3")
                               .arg(kindText(field.pairing.similar[i].kind), text(field.person[i]),
                                    text(field.record[size_t(j)])));
    }
}

void explainGiven(const FieldScore &field, size_t recordFirstWords, const QString &personText,
                  const QString &recordText, QStringList &reasons)
{
    switch (field.way) {
    case FieldScore::Empty:
        return;
    case FieldScore::SameLetters:
        reasons.append(ComparisonKey::of(personText) == ComparisonKey::of(recordText)
                           ? QStringLiteral("given names equal: %1").arg(recordText.simplified())
                           : QStringLiteral("given names written differently: %1 / %2")
                                 .arg(personText.simplified(), recordText.simplified()));
        return;
    case FieldScore::Joined:
        reasons.append(QStringLiteral("given names written together or apart: %1 / %2")
                           .arg(joinedText(field.person), joinedText(field.record)));
        return;
    case FieldScore::Initials:
        reasons.append(
            QStringLiteral("given names as initials: %1 / %2").arg(joinedText(field.person), recordText.simplified()));
        return;
    default:
        break;
    }
    std::vector<bool> paired(field.record.size(), false);
    int previous = -1;
    bool inOrder = true;
    for (size_t i = 0; i < field.person.size(); ++i) {
        const int j = field.pairing.partner[i];
        if (j < 0) {
            reasons.append(
                QStringLiteral("%1 not on the record: %2")
                    .arg(i == 0 ? QStringLiteral("given name") : QStringLiteral("middle name"), text(field.person[i])));
            continue;
        }
        paired[size_t(j)] = true;
        inOrder = inOrder && j > previous;
        previous = j;
        const Similar &s = field.pairing.similar[i];
        if (s.kind != Kind::Equal)
            reasons.append(QStringLiteral("given name %1: %2 / %3")
                               .arg(kindText(s.kind), text(field.person[i]), text(field.record[size_t(j)])));
    }
    if (!inOrder)
        reasons.append(QStringLiteral("given names in other order"));
    for (size_t j = 0; j < field.record.size(); ++j) {
        if (!paired[j])
            reasons.append(QStringLiteral("%1 missing: %2")
                               .arg(j < recordFirstWords ? QStringLiteral("given name") : QStringLiteral("middle name"),
                                    text(field.record[j])));
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

std::vector<std::string> NearMissScorer::coreSurname() const
{
    std::vector<std::string> core = NameVariants::coreWords(m_surname->text);
    return core == m_surname->text ? std::vector<std::string>() : core;
}

std::string NearMissScorer::joinedSurname() const
{
    return m_surname->size() > 1 ? concat(*m_surname) : std::string();
}

std::string NearMissScorer::joinedGiven() const
{
    return m_given->size() > 1 ? concat(*m_given) : std::string();
}

std::optional<qint64> NearMissScorer::dateOfBirth() const
{
    return m_dateOfBirth ? std::optional<qint64>(m_dateOfBirth->toJulianDay()) : std::nullopt;
}

NearMissScorer::DateEvidence NearMissScorer::compareDates(std::optional<QDate> person,
                                                          std::optional<DateParser::Range> listed)
{
    if (!person)
        return DateEvidence::NotGiven;
    if (!listed)
        return DateEvidence::NotOnRecord;
    const QDate d = *person;
    if (listed->contains(d))
        return listed->isWhole() ? DateEvidence::Equal : DateEvidence::SameYear;
    if (!listed->isWhole()) {
        const qint64 apart = d < listed->first ? d.daysTo(listed->first) : listed->last.daysTo(d);
        return apart <= 366 ? DateEvidence::WithinOneYear : DateEvidence::Differs;
    }
    const QDate l = listed->first;
    if (d.day() <= 12 && d.day() != d.month() && QDate(d.year(), d.day(), d.month()) == l)
        return DateEvidence::DayMonthSwapped;
    if (d.month() == l.month() && d.day() == l.day() && std::abs(d.year() - l.year()) == 1)
        return DateEvidence::YearApart;
    // Up to a leap year's span either way.
    return std::abs(d.daysTo(l)) <= 366 ? DateEvidence::WithinOneYear : DateEvidence::Differs;
}

double NearMissScorer::dateFactor(DateEvidence evidence, double bearers, bool sameShape)
{
    // From a name two listed people bear to one that fifty or more bear, what a name alone says falls by this much.
    const double common = std::clamp(std::log10(std::max(bearers, 1.0) / 2.0) / std::log10(25.0), 0.0, 1.0);
    switch (evidence) {
    case DateEvidence::Equal:
        return 1.0;
    case DateEvidence::DayMonthSwapped:
    case DateEvidence::YearApart:
        return 0.97;
    case DateEvidence::SameYear:
        return sameShape ? 0.97 - 0.06 * common : 0.94 - 0.08 * common;
    case DateEvidence::NotGiven:
        // The person gives no date: every record is weighed by the names alone.
        return 0.95;
    case DateEvidence::NotOnRecord:
        return sameShape ? 0.93 - 0.07 * common : 0.90 - 0.10 * common;
    case DateEvidence::WithinOneYear:
        return 0.80;
    case DateEvidence::Differs:
        break;
    }
    return 0.60;
}

bool NearMissScorer::strongerEvidence(const Result &a, const Result &b)
{
    if (a.score != b.score)
        return a.score > b.score;
    if (a.date != b.date)
        return a.date > b.date;
    if (a.samePassport != b.samePassport)
        return a.samePassport;
    return a.names > b.names;
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
    // The other arrangements cost a factor each, so they are tried only where they could score higher.
    if (bothGiven && !recordFirst.empty() && straight < SwapFactor) {
        recordOtherGiven = recordSurname + recordMiddle;
        swappedSurname = surnameScore(personSurname, recordFirst);
        swappedGiven = givenScore(personGiven, recordOtherGiven, recordSurname.size());
        swapped = SwapFactor * (SurnameWeight * swappedSurname.score + (1 - SurnameWeight) * swappedGiven.score);
    }
    const double unordered = bothGiven && std::max(straight, swapped) < UnorderedFactor
                                 ? unorderedScore(personSurname + personGiven, recordSurname + recordGiven)
                                 : 0;
    result.names = std::max({straight, swapped, unordered});

    std::optional<DateParser::Range> listed = record.date;
    if (!record.dateRead) {
        const QByteArray listedText = record.dateOfBirth.toUtf8();
        listed = DateParser::parseRange(std::string_view(listedText.constData(), size_t(listedText.size())));
    }
    result.date = compareDates(m_dateOfBirth, listed);
    result.samePassport = !m_passport.isEmpty() && m_passport == passportKey(record.passport);
    // A name the record bears in another spelling is worth an advisory when no date rules it out; one that differs
    // in its shape (another order, a word left out or added) only when the name is rare in the list.
    const bool shape = result.names == straight && sameShape(surname, false) && (!bothGiven || sameShape(given, true));
    result.score = result.names * dateFactor(result.date, record.nameBearers, shape);
    if (result.samePassport)
        result.score = std::min(1.0, result.score + SamePassportBonus);
    if (!explain)
        return result;

    QStringList &reasons = result.reasons;
    const QString recordGivenText = QStringList{record.firstNameText, record.middleNameText}.join(u' ').simplified();
    const QString pair = QStringLiteral("%1 / %2").arg(m_person.dateOfBirth.trimmed(), record.dateOfBirth.trimmed());
    // What agrees first, then what differs.
    switch (result.date) {
    case DateEvidence::Equal:
        reasons.append(QStringLiteral("date of birth equal: %1").arg(record.dateOfBirth.trimmed()));
        break;
    case DateEvidence::SameYear:
        reasons.append(QStringLiteral("year of birth equal: %1").arg(pair));
        break;
    default:
        break;
    }
    if (result.samePassport)
        reasons.append(QStringLiteral("passport equal: %1").arg(record.passport.trimmed()));
    if (result.names == straight) {
        explainSurname(surname, m_person.lastName, record.lastNameText, reasons);
        if (bothGiven)
            explainGiven(given, recordFirst.size(), m_person.firstAndMiddleName, recordGivenText, reasons);
    } else if (result.names == swapped) {
        reasons.append(QStringLiteral("surname and given names swapped"));
        // What differs beside the swap; what agrees is the swap itself.
        QStringList differences;
        explainSurname(swappedSurname, m_person.lastName, record.firstNameText, differences);
        explainGiven(swappedGiven, recordSurname.size(), m_person.firstAndMiddleName,
                     QStringList{record.lastNameText, record.middleNameText}.join(u' ').simplified(), differences);
        for (const QString &difference : differences) {
            if (!difference.contains(QLatin1String(" equal: ")))
                reasons.append(difference);
        }
    } else {
        reasons.append(QStringLiteral("name words in another order: %1, %2 / %3, %4")
                           .arg(m_person.lastName.simplified(), m_person.firstAndMiddleName.simplified(),
                                record.lastNameText.simplified(), recordGivenText));
    }
    switch (result.date) {
    case DateEvidence::NotGiven:
        reasons.append(QStringLiteral("no date of birth given"));
        break;
    case DateEvidence::NotOnRecord:
        reasons.append(QStringLiteral("no date of birth on the record"));
        break;
    case DateEvidence::DayMonthSwapped:
        reasons.append(QStringLiteral("date of birth with day and month swapped: %1").arg(pair));
        break;
    case DateEvidence::YearApart:
        reasons.append(QStringLiteral("date of birth a year apart: %1").arg(pair));
        break;
    case DateEvidence::WithinOneYear:
        reasons.append(QStringLiteral("date of birth within one year: %1").arg(pair));
        break;
    case DateEvidence::Differs:
        reasons.append(QStringLiteral("date of birth differs: %1").arg(pair));
        break;
    default:
        break;
    }
    return result;
}
