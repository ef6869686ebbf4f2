#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

// LIKE: % matches any run of characters, _ exactly one. In time linear in the text's length (times the words of
// the longest piece between two %, which LongestPattern bounds): the pieces are found in order, each at its
// leftmost place, which is all a pattern of % and _ needs; a piece is looked for with the bit-parallel shift-and
// search, where _ is a position every character fits.
namespace LikeMatch {

inline constexpr size_t LongestPattern = 256;

template <typename Char> bool fitsAt(std::basic_string_view<Char> text, size_t at, std::basic_string_view<Char> piece)
{
    if (at + piece.size() > text.size())
        return false;
    for (size_t i = 0; i < piece.size(); ++i) {
        if (piece[i] != Char('_') && piece[i] != text[at + i])
            return false;
    }
    return true;
}

// The first place at or after from where piece fits and ends by end; npos when there is none.
template <typename Char>
size_t find(std::basic_string_view<Char> text, size_t from, size_t end, std::basic_string_view<Char> piece)
{
    const size_t k = piece.size();
    if (k == 0)
        return from;
    const size_t words = (k + 63) / 64;
    // Bit i of a character's mask: the character fits piece position i.
    std::vector<uint64_t> wildcard(words, 0);
    std::unordered_map<Char, std::vector<uint64_t>> masks;
    for (size_t i = 0; i < k; ++i) {
        if (piece[i] == Char('_'))
            wildcard[i / 64] |= uint64_t(1) << (i % 64);
    }
    for (size_t i = 0; i < k; ++i) {
        if (piece[i] != Char('_')) {
            auto [it, fresh] = masks.try_emplace(piece[i], wildcard);
            it->second[i / 64] |= uint64_t(1) << (i % 64);
        }
    }
    const uint64_t last = uint64_t(1) << ((k - 1) % 64);
    std::vector<uint64_t> state(words, 0); // bit i: piece[0..i] fits the text just read
    for (size_t t = from; t < end; ++t) {
        const auto found = masks.find(text[t]);
        const std::vector<uint64_t> &mask = found == masks.end() ? wildcard : found->second;
        uint64_t carry = 1; // a match may start at every character
        for (size_t w = 0; w < words; ++w) {
            const uint64_t next = state[w] >> 63;
            state[w] = ((state[w] << 1) | carry) & mask[w];
            carry = next;
        }
        if (state[words - 1] & last)
            return t + 1 - k;
    }
    return std::basic_string_view<Char>::npos;
}

template <typename Char> bool matches(std::basic_string_view<Char> text, std::basic_string_view<Char> pattern)
{
    std::vector<std::basic_string_view<Char>> pieces;
    size_t start = 0;
    for (size_t i = 0; i <= pattern.size(); ++i) {
        if (i == pattern.size() || pattern[i] == Char('%')) {
            pieces.push_back(pattern.substr(start, i - start));
            start = i + 1;
        }
    }
    if (pieces.size() == 1)
        return text.size() == pattern.size() && fitsAt(text, 0, pattern);
    const auto first = pieces.front(), final = pieces.back();
    if (text.size() < first.size() + final.size() || !fitsAt(text, 0, first) ||
        !fitsAt(text, text.size() - final.size(), final))
        return false;
    size_t pos = first.size();
    const size_t end = text.size() - final.size();
    for (size_t p = 1; p + 1 < pieces.size(); ++p) {
        const size_t at = find(text, pos, end, pieces[p]);
        if (at == std::basic_string_view<Char>::npos)
            return false;
        pos = at + pieces[p].size();
    }
    return true;
}

} // namespace LikeMatch
