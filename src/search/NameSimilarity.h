#pragma once

#include <string>
#include <string_view>

// How alike two name words are, in the normalised form (upper-case ASCII letters and digits).
namespace NameSimilarity {

// Words are compared by at most their first letters this many.
constexpr size_t MaxComparedLength = 64;

// Jaro-Winkler similarity in [0, 1], with the usual prefix bonus (up to four letters, 0.1 each).
double jaroWinkler(std::string_view a, std::string_view b);

// A key that transliterations of one name share: vowels after the first letter drop out (an initial vowel is A),
// letters one script writes in several ways are one (PH and F, KH and H, C, Q and K, Z and S, W and V, D and T,
// SH, SCH and CH, an initial Y before a vowel and J, a J after a vowel and Y), an H between a vowel and a consonant
// is silent and doubled letters count once. MOHAMMED, MUHAMMAD and MOHAMAD are all MHMT; YOUSEF and YUSUF are JSF.
std::string phoneticKey(std::string_view word);
// The key of the word's other reading, with TH and DH read as S (OTHMAN as OSMAN); empty when it has none.
std::string otherPhoneticKey(std::string_view word);

// A word's phonetic keys, made once for the many comparisons a word takes part in.
struct Keys
{
    std::string key, other;
    static Keys of(std::string_view word);
    bool shares(const Keys &with) const;
};

// At most two letters added, left out, changed or two neighbours swapped between the words (their restricted
// Damerau-Levenshtein distance), comparing at most MaxComparedLength letters of each.
bool withinTwoEdits(std::string_view a, std::string_view b);

// 1 for equal words; else their Jaro-Winkler similarity, raised half-way towards 1 for words that share a phonetic
// key.
double wordSimilarity(std::string_view a, std::string_view b);
double wordSimilarity(std::string_view a, const Keys &keysOfA, std::string_view b, const Keys &keysOfB);

} // namespace NameSimilarity
