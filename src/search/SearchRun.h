#pragma once

#include "search/NameQuery.h"
#include "search/RowMarks.h"

#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class TextTableConnection;

// The rows one search visits, as their holder keeps them: the ten name rows, the imported names, or a batch.
class SearchRows
{
public:
    virtual ~SearchRows() = default;

    virtual bool gridMode() const = 0;
    virtual int lastRow() const = 0;
    // Row i is about to be considered (the imported names make it current and advance the progress bar).
    virtual void startRow(int row) = 0;
    virtual void resetBackground(int row) = 0;
    // The row carries an uncleared match from an earlier search.
    virtual bool isRed(int row) const = 0;
    // The name rows' Search box; imported names are always searched.
    virtual bool isTicked(int row) const = 0;
    // The date of birth is required on a Cleared list: a flagged name row, every visited imported name.
    virtual bool dateRuleApplies(int row) const = 0;
    virtual NameQuery::Row texts(int row) const = 0;
    virtual void writeBack(int row, const NameQuery::Row &written) = 0;
    virtual void mark(int row, const RowMarks &marks) = 0;
    virtual void refused(int row, const QString &message) = 0;
    // A batch goes on past a row whose statement the engine rejects (an apostrophe in a name): the row and the
    // engine's reason. The window stops the search instead.
    virtual void rejected(int, const QString &) {}
    // The row's statement ran and decided state; called after its records and its marks.
    virtual void decided(int, MatchState) {}
};

// Where the matching records go, in order; nullopt stands for an empty field.
class SearchResults
{
public:
    virtual ~SearchResults() = default;
    virtual void setFieldCount(int count) = 0;
    // The list's column names, for holders that keep them (the batch screening).
    virtual void setFieldNames(const QStringList &) {}
    virtual void addRecord(const std::vector<std::optional<QString>> &fields) = 0;
    // A row's records are all in.
    virtual void rowDone() {}
};

// One search of rows against the list open on connection: a statement per visited row, its records to results,
// and the row's marks, each list kind read off listPath.
namespace SearchRun {

enum class Outcome {
    Finished,
    Refused, // a row was refused; the rows after it were not visited
    Failed,  // the engine failed; the rows after the failing one were not visited
};

// The window stops at a refused row, as the operators know it; a batch reports the row and goes on.
enum class Refusals { Stop, Continue };

// A row whose statement ran, after its records and marks: the row, its texts as the search wrote them back, and
// where each record found for it starts in the list's file (TextTable::recordStart). A batch also hands over a
// row whose statement the engine rejected, with nothing found.
using Searched = std::function<void(int row, const NameQuery::Row &written, const std::vector<uint64_t> &found)>;

// failure, when given, receives the engine's number and message when the outcome is Failed. With
// Refusals::Continue a statement the engine cannot parse is the row's own failure (SearchRows::rejected), not
// the run's.
Outcome run(const TextTableConnection &connection, const QString &listPath, SearchRows &rows, SearchResults &results,
            Refusals refusals = Refusals::Stop, QString *failure = nullptr, const Searched &searched = {});

} // namespace SearchRun
