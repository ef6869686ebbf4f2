#pragma once

#include "shared/Rgb.h"

#include <optional>

// What one search decides for a row, and the marks it leaves on it.
enum class MatchState { None = 0, Matched = 1, MatchedCleared = 2 };

namespace RowColors {
inline constexpr Rgb White{255, 255, 255};
inline constexpr Rgb Black{0, 0, 0};
inline constexpr Rgb Red{255, 0, 0};
inline constexpr Rgb Yellow{255, 255, 0};
inline constexpr Rgb Green{0, 255, 0};
inline constexpr Rgb StatusBlue{0, 0, 225};
inline constexpr Rgb PaleYellow{254, 254, 34}; // a filled row left out of the next search
} // namespace RowColors

struct RowMarks
{
    bool change = false;
    Rgb fore;
    std::optional<Rgb> back; // unchanged when empty
    bool keep = false;       // the Keep box (name rows only)

    bool operator==(const RowMarks &) const = default;

    // The list kind is read off the selected path for each decision: "Cleared" for a row without match,
    // "Selectee" for a matched row. rowIsRed: the row already carries an uncleared match.
    static RowMarks forNameRow(MatchState state, bool clearedList, bool selecteeList, bool rowIsRed);
    static RowMarks forGridRow(MatchState state, bool clearedList, bool selecteeList);
};
