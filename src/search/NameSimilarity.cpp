#include "search/NameSimilarity.h"

#include <algorithm>
#include <array>

namespace NameSimilarity {

double jaroWinkler(std::string_view a, std::string_view b)
{
    // Its cost grows with the square of the length: a field far longer than any name is compared by its start.
    a = a.substr(0, MaxComparedLength);
    b = b.substr(0, MaxComparedLength);
    if (a.empty() || b.empty())
        return a.empty() && b.empty() ? 1.0 : 0.0;
    if (a == b)
        return 1.0;
    if (a.size() > b.size())
        std::swap(a, b);
    const size_t window = std::max<size_t>(b.size() / 2, 1) - 1;
    std::array<bool, MaxComparedLength> aMatched{}, bMatched{};

    size_t matches = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const size_t from = i > window ? i - window : 0;
        const size_t to = std::min(i + window + 1, b.size());
        for (size_t j = from; j < to; ++j) {
            if (!bMatched[j] && a[i] == b[j]) {
                aMatched[i] = true;
                bMatched[j] = true;
                ++matches;
                break;
            }
        }
    }
    if (matches == 0)
        return 0.0;
    size_t transpositions = 0;
    for (size_t i = 0, j = 0; i < a.size(); ++i) {
        if (!aMatched[i])
            continue;
        while (!bMatched[j])
            ++j;
        if (a[i] != b[j])
            ++transpositions;
        ++j;
    }
    const double m = double(matches);
    const double jaro = (m / double(a.size()) + m / double(b.size()) + (m - double(transpositions) / 2.0) / m) / 3.0;
    size_t prefix = 0;
    while (prefix < 4 && prefix < a.size() && a[prefix] == b[prefix])
        ++prefix;
    return jaro + double(prefix) * 0.1 * (1.0 - jaro);
}

namespace {

constexpr char Vowel = '*';

bool isVowel(char c)
{
    return c == 'A' || c == 'E' || c == 'I' || c == 'O' || c == 'U' || c == 'Y';
}

// The word with the letters one sound is written in made one, and every vowel a Vowel. The other reading takes TH
// and DH as S, as Turkish and Persian forms of Arabic names write them (OSMAN for OTHMAN, ZAKIR for DHAKIR).
std::string soundLetters(std::string_view w, bool otherReading)
{
    std::string out;
    auto at = [&w](size_t i) { return i < w.size() ? w[i] : '\0'; };
    for (size_t i = 0; i < w.size(); ++i) {
        const char c = w[i], next = at(i + 1);
        if (c == 'Y' && i == 0 && isVowel(next)) {
            out += 'J'; // YUSUF and JUSUF, YURI and JURIJ
        } else if (c == 'J' && i > 0 && isVowel(w[i - 1]) && !isVowel(next)) {
            out += Vowel; // SERGEJ and SERGEY
        } else if (isVowel(c)) {
            out += Vowel;
        } else if (c == 'T' && next == 'C' && at(i + 2) == 'H') {
            // TCH is CH
        } else if (c == 'S' && next == 'C' && at(i + 2) == 'H') {
            out += 'X';
            i += 2;
        } else if ((c == 'S' || c == 'C') && next == 'H') {
            out += 'X';
            ++i;
        } else if (otherReading && next == 'H' && (c == 'T' || c == 'D')) {
            out += 'S';
            ++i;
        } else if (next == 'H' && (c == 'P' || c == 'K' || c == 'G' || c == 'T' || c == 'D' || c == 'Z')) {
            out += c == 'P' ? 'F' : c == 'K' ? 'H' : c == 'G' ? 'G' : c == 'Z' ? 'J' : 'T';
            ++i;
        } else if (c == 'C' && next == 'K') {
            out += 'K';
            ++i;
        } else if (c == 'C' || c == 'Q') {
            out += 'K';
        } else if (c == 'X') {
            out += "KS";
        } else if (c == 'Z') {
            out += 'S';
        } else if (c == 'W') {
            out += 'V';
        } else if (c == 'D') {
            out += 'T';
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

namespace {

std::string keyOf(std::string_view word, bool otherReading)
{
    const std::string letters = soundLetters(word, otherReading);
    std::string key;
    bool afterVowel = false;
    char last = '\0'; // the last letter kept, with no vowel since
    for (size_t i = 0; i < letters.size(); ++i) {
        const char c = letters[i];
        if (c == Vowel) {
            if (key.empty())
                key += 'A';
            afterVowel = true;
            last = '\0';
            continue;
        }
        const bool beforeVowel = i + 1 < letters.size() && letters[i + 1] == Vowel;
        if (c == 'H' && afterVowel && !beforeVowel)
            continue;
        if (c != last)
            key += c;
        last = c;
        afterVowel = false;
    }
    return key;
}

} // namespace

std::string phoneticKey(std::string_view word)
{
    return keyOf(word, false);
}

std::string otherPhoneticKey(std::string_view word)
{
    std::string other = keyOf(word, true);
    return other == keyOf(word, false) ? std::string() : other;
}

Keys Keys::of(std::string_view word)
{
    if (word.size() < 2)
        return {}; // a letter's key would say nothing
    return {phoneticKey(word), otherPhoneticKey(word)};
}

bool Keys::shares(const Keys &with) const
{
    if (key.empty() || with.key.empty())
        return false;
    return key == with.key || (!other.empty() && (other == with.key || other == with.other)) ||
           (!with.other.empty() && with.other == key);
}

bool withinTwoEdits(std::string_view a, std::string_view b)
{
    a = a.substr(0, MaxComparedLength);
    b = b.substr(0, MaxComparedLength);
    if (a.size() > b.size() + 2 || b.size() > a.size() + 2)
        return false;
    // Three rows of the distance table are all the swap needs.
    std::array<size_t, MaxComparedLength + 1> before{}, previous{}, current{};
    for (size_t j = 0; j <= b.size(); ++j)
        previous[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        size_t rowBest = current[0];
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                current[j] = std::min(current[j], before[j - 2] + 1);
            rowBest = std::min(rowBest, current[j]);
        }
        if (rowBest > 2)
            return false;
        before = previous;
        previous = current;
    }
    return previous[b.size()] <= 2;
}

double wordSimilarity(std::string_view a, const Keys &keysOfA, std::string_view b, const Keys &keysOfB)
{
    if (a == b)
        return 1.0;
    const double jw = jaroWinkler(a, b);
    return keysOfA.shares(keysOfB) ? std::max(jw, 0.5 + 0.5 * jw) : jw;
}

double wordSimilarity(std::string_view a, std::string_view b)
{
    if (a == b)
        return 1.0;
    return wordSimilarity(a, Keys::of(a), b, Keys::of(b));
}

} // namespace NameSimilarity
