#pragma once

#include "audit/ScreeningEntry.h"
#include "search/ListIdentity.h"
#include "search/SearchRun.h"

#include <QList>

// Passes a search's rows and results through to their holders, keeping what the search did with each row it
// looked at: the screening record's entries.
class RecordedSearch
{
public:
    struct Visited
    {
        int row = 0;
        ScreeningEntry entry;
    };

    RecordedSearch(SearchRows &rows, SearchResults &results, const QString &mode, const ListIdentity &list);
    ~RecordedSearch();

    SearchRows &rows();
    SearchResults &results();

    // Every row the search looked at, in order: searched, refused, or (when outcome is Failed) the row the search
    // failed at. Rows without a statement (nothing typed) are not among them.
    QList<Visited> visited(SearchRun::Outcome outcome) const;

    // "red on yellow", "green", "red on yellow, Keep ticked"
    static QString describe(const RowMarks &marks);

private:
    class Rows;
    class Results;
    struct State;
    std::unique_ptr<State> m_state;
    std::unique_ptr<Rows> m_rows;
    std::unique_ptr<Results> m_results;
};
