#include "search/RowMarks.h"

using namespace RowColors;

RowMarks RowMarks::forNameRow(MatchState state, bool clearedList, bool selecteeList, bool rowIsRed)
{
    switch (state) {
    case MatchState::None:
        if (clearedList || rowIsRed)
            return {};
        return {true, Black, std::nullopt, false};
    case MatchState::Matched:
        if (!selecteeList)
            return {true, Red, std::nullopt, true};
        // A Selectee match never hides an uncleared one.
        if (rowIsRed)
            return {};
        return {true, Black, Yellow, true};
    case MatchState::MatchedCleared:
        return {true, Black, Green, false};
    }
    return {};
}

RowMarks RowMarks::forGridRow(MatchState state, bool clearedList, bool selecteeList)
{
    switch (state) {
    case MatchState::None:
        if (clearedList)
            return {};
        return {true, Black, std::nullopt, false};
    case MatchState::Matched:
        if (selecteeList)
            return {true, Black, Yellow, false};
        return {true, Red, std::nullopt, false};
    case MatchState::MatchedCleared:
        return {true, Black, Green, false};
    }
    return {};
}
