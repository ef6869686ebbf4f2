#include "search/NearMissIndex.h"

#include "engine/DateParser.h"
#include "engine/TextTable.h"
#include "search/NameNormaliser.h"
#include "search/NameSimilarity.h"
#include "search/NameVariants.h"

#include <algorithm>
#include <numeric>

namespace {

// A word and, from four letters on, the word with each one letter left out: two words one letter added, left
// out, changed or two swapped apart always share one of these forms. Shorter words would share them with too
// many others; a word longer than any name (a hostile field) gets no such forms, as they would cost the square
// of its length.
constexpr size_t LongestFormed = 32;
constexpr size_t LongestKeyed = 20;
constexpr size_t SmallListAllowance = size_t(8) << 20;

template <typename Use> void forEachForm(std::string_view word, std::string &scratch, Use &&use)
{
    use(word);
    if (word.size() < 4 || word.size() > LongestFormed)
        return;
    for (size_t i = 0; i < word.size(); ++i) {
        if (i > 0 && word[i] == word[i - 1])
            continue; // the same form as leaving out the letter before
        scratch.assign(word.substr(0, i));
        scratch.append(word.substr(i + 1));
        use(std::string_view(scratch));
    }
}

std::string joined(const std::vector<std::string> &words)
{
    std::string out;
    for (const std::string &word : words)
        out += word;
    return out.substr(0, NearMissIndex::MaxWordLength);
}

uint32_t hash32(std::string_view text)
{
    const uint64_t h = TextTable::hash(text);
    return uint32_t(h ^ (h >> 32));
}

void sortByHash(std::vector<uint32_t> &hashes, std::vector<uint32_t> &ids)
{
    std::vector<std::pair<uint32_t, uint32_t>> pairs(hashes.size());
    for (size_t i = 0; i < hashes.size(); ++i)
        pairs[i] = {hashes[i], ids[i]};
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    hashes.resize(pairs.size());
    ids.resize(pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i) {
        hashes[i] = pairs[i].first;
        ids[i] = pairs[i].second;
    }
    hashes.shrink_to_fit();
    ids.shrink_to_fit();
}

} // namespace

NearMissIndex::NearMissIndex(const TextTable &table)
{
    m_recordWordStarts.push_back(0);
    const int columns[] = {table.columnIndex(QStringLiteral("LASTNAME")),
                           table.columnIndex(QStringLiteral("FIRSTNAME")),
                           table.columnIndex(QStringLiteral("MIDDLENAME"))};
    const int dateColumn = table.columnIndex(QStringLiteral("DOB"));
    if (columns[Surname] < 0) {
        m_postingStarts.push_back(0);
        return;
    }
    const size_t rows = table.rowCount();
    m_recordWordStarts.reserve(rows + 1);
    m_recordWords.reserve(rows * 3);
    m_oneNameWord.assign(rows, false);
    m_slots.assign(size_t(1) << 16, 0);
    m_source = table.data();
    m_sourceText = table.content();
    TextTable::Cursor cursor(table);
    std::vector<std::string> words;
    for (size_t row = 0; row < rows; ++row) {
        cursor.start(row);
        for (uint32_t f = Surname; f <= Middle; ++f) {
            if (columns[f] < 0)
                continue;
            const std::string_view field = cursor.field(columns[f]);
            if (field.empty())
                continue;
            words.clear();
            const bool ascii = NameNormaliser::asciiTokens(field, words);
            if (!ascii)
                words = NameNormaliser::tokens(table.decode(field));
            // A field with doubled quotes is read from a copy, not from the list's bytes.
            const bool inSource = ascii && field.data() >= m_sourceText.data() &&
                                  field.data() + field.size() <= m_sourceText.data() + m_sourceText.size();
            if (words.size() > MaxWordsPerField)
                words.resize(MaxWordsPerField);
            for (std::string &word : words) {
                if (word.size() > MaxWordLength)
                    word.resize(MaxWordLength);
                const size_t at = inSource ? field.find(word) : std::string_view::npos;
                m_recordWords.push_back(
                    intern(word, at == std::string_view::npos ? nullptr : field.data() + at) << FieldBits | f);
            }
            if (f == Surname) {
                if (words.size() > 1)
                    m_recordWords.push_back(intern(joined(words), nullptr) << FieldBits | JoinedSurname);
                for (const std::string &word : words) {
                    const std::string core = NameVariants::withoutPrefix(word);
                    if (!core.empty())
                        m_recordWords.push_back(intern(core, nullptr) << FieldBits | SurnameCore);
                }
            }
        }
        if (dateColumn >= 0) {
            if (const auto date = DateParser::parse(cursor.field(dateColumn)))
                m_births.emplace_back(int32_t(date->toJulianDay()), uint32_t(row));
        }
        size_t nameWords = 0;
        for (size_t k = m_recordWordStarts.back(); k < m_recordWords.size(); ++k)
            nameWords += (m_recordWords[k] & ((1u << FieldBits) - 1)) <= Middle ? 1 : 0;
        m_oneNameWord[row] = nameWords == 1;
        m_recordWordStarts.push_back(uint32_t(m_recordWords.size()));
    }
    m_slots = {};
    std::sort(m_births.begin(), m_births.end());
    m_births.shrink_to_fit();
    m_recordWords.shrink_to_fit();
    m_text.shrink_to_fit();
    m_wordAt.shrink_to_fit();

    // Each word's records, by counting first: one array for all, in file order.
    const size_t vocabulary = m_wordAt.size();
    m_postingStarts.assign(vocabulary + 1, 0);
    for (uint32_t entry : m_recordWords)
        ++m_postingStarts[(entry >> FieldBits) + 1];
    std::partial_sum(m_postingStarts.begin(), m_postingStarts.end(), m_postingStarts.begin());
    m_postings.resize(m_recordWords.size());
    std::vector<uint32_t> next(m_postingStarts.begin(), m_postingStarts.end() - 1);
    // A word a name repeats (ALI MOHAMMED ALI) is posted twice for the record, which the look-up takes as once.
    for (uint32_t row = 0; row + 1 < m_recordWordStarts.size(); ++row) {
        for (uint32_t k = m_recordWordStarts[row]; k < m_recordWordStarts[row + 1]; ++k)
            m_postings[next[m_recordWords[k] >> FieldBits]++] = row;
    }

    for (uint32_t id = 0; id < vocabulary; ++id) {
        const std::string_view w = word(id);
        // A word longer than any name's is no transliteration of one.
        if (w.size() >= 2 && w.size() <= LongestKeyed) {
            m_keyHashes.push_back(hash32(NameSimilarity::phoneticKey(w)));
            m_keyWords.push_back(id);
            const std::string other = NameSimilarity::otherPhoneticKey(w);
            if (!other.empty()) {
                m_keyHashes.push_back(hash32(other));
                m_keyWords.push_back(id);
            }
        }
        // A variant key starts with a mark, so it never meets a phonetic key.
        for (const std::string &key : NameVariants::keys(w)) {
            m_keyHashes.push_back(hash32(key));
            m_keyWords.push_back(id);
        }
    }
    sortByHash(m_keyHashes, m_keyWords);

    // Each word is a form of its own; the forms with a letter left out are given shortest words first, as long as
    // the index stays within three fifths of the list's file (sorting them takes as much again for a moment): a
    // list of long made-up words (no names have them) then costs no more memory than its file, and its long words
    // are found by their own spelling only. A small list is allowed a few megabytes whatever its size.
    const size_t perForm = 2 * sizeof(uint32_t);
    const size_t fileBytes = std::max<size_t>(table.content().size() * 3 / 5, SmallListAllowance);
    const size_t used = memoryBytes() + vocabulary * perForm;
    size_t formsLeft = fileBytes > used ? (fileBytes - used) / perForm : 0;
    std::vector<uint32_t> byLength(vocabulary);
    std::iota(byLength.begin(), byLength.end(), 0u);
    std::stable_sort(byLength.begin(), byLength.end(),
                     [this](uint32_t a, uint32_t b) { return word(a).size() < word(b).size(); });
    std::vector<bool> formed(vocabulary, false);
    size_t forms = vocabulary;
    for (uint32_t id : byLength) {
        const size_t size = word(id).size();
        const size_t more = size >= 4 && size <= LongestFormed ? size : 0;
        if (more > formsLeft)
            break;
        formsLeft -= more;
        forms += more;
        formed[id] = more > 0;
    }
    byLength = {};
    m_formHashes.reserve(forms);
    m_formWords.reserve(forms);
    std::string scratch;
    for (uint32_t id = 0; id < vocabulary; ++id) {
        const std::string_view w = word(id);
        auto add = [&](std::string_view form) {
            m_formHashes.push_back(hash32(form));
            m_formWords.push_back(id);
        };
        if (formed[id])
            forEachForm(w, scratch, add);
        else
            add(w);
    }
    sortByHash(m_formHashes, m_formWords);
}

uint32_t NearMissIndex::recordsWithBoth(uint32_t a, uint32_t b) const
{
    const std::span<const uint32_t> x = recordsWith(a), y = recordsWith(b);
    uint32_t both = 0, last = UINT32_MAX;
    for (size_t i = 0, j = 0; i < x.size() && j < y.size();) {
        if (x[i] < y[j]) {
            ++i;
        } else if (y[j] < x[i]) {
            ++j;
        } else {
            both += x[i] != last ? 1 : 0; // a word a name repeats is posted twice
            last = x[i];
            ++i;
            ++j;
        }
    }
    return both;
}

bool NearMissIndex::knows(std::string_view w) const
{
    std::vector<uint32_t> ids;
    lookUp(m_formHashes, m_formWords, hash32(w), ids);
    for (uint32_t id : ids) {
        if (word(id) == w)
            return true;
    }
    for (const std::string &key : NameVariants::keys(w)) {
        lookUp(m_keyHashes, m_keyWords, hash32(key), ids);
        if (!ids.empty())
            return true;
    }
    return false;
}

uint32_t NearMissIndex::intern(std::string_view w, const char *verbatim)
{
    if (m_wordAt.size() * 2 >= m_slots.size()) {
        std::vector<uint32_t> bigger(m_slots.size() * 2, 0);
        const size_t mask = bigger.size() - 1;
        for (uint32_t id = 0; id < m_wordAt.size(); ++id) {
            size_t slot = TextTable::hash(word(id)) & mask;
            while (bigger[slot])
                slot = (slot + 1) & mask;
            bigger[slot] = id + 1;
        }
        m_slots.swap(bigger);
    }
    const size_t mask = m_slots.size() - 1;
    size_t slot = TextTable::hash(w) & mask;
    while (const uint32_t held = m_slots[slot]) {
        if (word(held - 1) == w)
            return held - 1;
        slot = (slot + 1) & mask;
    }
    const uint32_t id = uint32_t(m_wordAt.size());
    if (verbatim) {
        m_wordAt.push_back(uint64_t(1) << 63 | uint64_t(verbatim - m_sourceText.data()) << 8 | w.size());
    } else {
        m_wordAt.push_back(uint64_t(m_text.size()) << 8 | w.size());
        m_text.append(w);
    }
    m_slots[slot] = id + 1;
    return id;
}

void NearMissIndex::lookUp(const std::vector<uint32_t> &hashes, const std::vector<uint32_t> &ids, uint32_t hash,
                           std::vector<uint32_t> &out) const
{
    auto at = std::lower_bound(hashes.begin(), hashes.end(), hash);
    for (; at != hashes.end() && *at == hash; ++at)
        out.push_back(ids[size_t(at - hashes.begin())]);
}

std::vector<NearMissIndex::CloseWord> NearMissIndex::closeWords(std::string_view w, double minimum) const
{
    std::vector<uint32_t> ids;
    std::string scratch;
    forEachForm(w, scratch, [&](std::string_view form) { lookUp(m_formHashes, m_formWords, hash32(form), ids); });
    if (w.size() >= 2) {
        lookUp(m_keyHashes, m_keyWords, hash32(NameSimilarity::phoneticKey(w)), ids);
        const std::string other = NameSimilarity::otherPhoneticKey(w);
        if (!other.empty())
            lookUp(m_keyHashes, m_keyWords, hash32(other), ids);
    }
    for (const std::string &key : NameVariants::keys(w))
        lookUp(m_keyHashes, m_keyWords, hash32(key), ids);
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    std::vector<CloseWord> close;
    const NameSimilarity::Keys keys = NameSimilarity::Keys::of(w);
    for (uint32_t id : ids) {
        const std::string_view other = word(id);
        double similarity = NameSimilarity::wordSimilarity(w, keys, other, NameSimilarity::Keys::of(other));
        if (similarity < minimum && NameVariants::sameName(w, other))
            similarity = minimum;
        if (similarity >= minimum)
            close.push_back({id, similarity});
    }
    return close;
}

std::vector<uint32_t> NearMissIndex::recordsBornOn(qint64 day) const
{
    std::vector<uint32_t> rows;
    auto at = std::lower_bound(m_births.begin(), m_births.end(), std::pair<int32_t, uint32_t>(int32_t(day), 0));
    for (; at != m_births.end() && at->first == day; ++at)
        rows.push_back(at->second);
    return rows;
}

size_t NearMissIndex::memoryBytes() const
{
    auto bytes = [](const auto &v) { return v.capacity() * sizeof(v[0]); };
    return m_text.capacity() + bytes(m_wordAt) + bytes(m_recordWordStarts) + bytes(m_recordWords) +
           bytes(m_postingStarts) + bytes(m_postings) + bytes(m_keyHashes) + bytes(m_formHashes) + bytes(m_keyWords) +
           bytes(m_formWords) + bytes(m_births) + m_oneNameWord.capacity() / 8;
}
