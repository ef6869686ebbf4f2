#include "search/SearchSummary.h"

#include "search/RowMarks.h"

SearchSummary SearchSummary::of(SearchRun::Outcome outcome, bool gridMode, int uncleared)
{
    if (outcome == SearchRun::Outcome::Failed)
        return {QStringLiteral(" Incomplete Search, Try again"), RowColors::Red};
    if (!gridMode)
        return {QStringLiteral("Search succesful"), RowColors::StatusBlue};
    if (uncleared > 0)
        return {QStringLiteral("Search successful. There are %1 uncleared names").arg(uncleared), RowColors::Red, true};
    return {QStringLiteral("Search successful. All names have cleared"), RowColors::StatusBlue};
}
