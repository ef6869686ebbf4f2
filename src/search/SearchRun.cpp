#include "search/SearchRun.h"

#include "engine/TextTableError.h"
#include "engine/TextTableRecordSet.h"
#include "search/WatchListFile.h"

namespace SearchRun {

Outcome run(const TextTableConnection &connection, const QString &listPath, SearchRows &rows, SearchResults &results,
            Refusals refusals, QString *failure, const Searched &searched)
{
    const bool noFlyList = WatchListFile::isNoFly(listPath);
    const bool clearedList = WatchListFile::isCleared(listPath);
    const bool selecteeList = WatchListFile::isSelectee(listPath);
    const bool grid = rows.gridMode();
    const UnstatedValues unstated = NameQuery::unstatedValues(clearedList);
    bool namesGiven = false;
    for (int i = 0; i <= rows.lastRow(); ++i) {
        rows.startRow(i);
        if (grid || noFlyList)
            rows.resetBackground(i);
        if (grid) {
            // A Cleared list looks again only at uncleared matches; a Selectee list never at them.
            const bool red = rows.isRed(i);
            if ((!red && clearedList) || (red && selecteeList))
                continue;
        } else if (!rows.isTicked(i)) {
            continue;
        }

        const NameQuery query = NameQuery::build(rows.texts(i), clearedList, rows.dateRuleApplies(i), grid);
        rows.writeBack(i, query.written);
        if (query.outcome == NameQuery::NoStatement)
            continue;
        if (query.outcome == NameQuery::Refused) {
            rows.refused(i, query.refusal);
            if (refusals == Refusals::Continue)
                continue;
            return Outcome::Refused;
        }

        MatchState state = MatchState::None;
        std::vector<uint64_t> found;
        try {
            TextTableRecordSet records;
            records.open(query.statement, connection, unstated);
            const int count = records.fieldCount();
            results.setFieldCount(count);
            if (!namesGiven) {
                // Every statement reads the same list: its columns are handed over once.
                QStringList names;
                for (int j = 0; j < count; ++j)
                    names.append(records.fieldName(j));
                results.setFieldNames(names);
                namesGiven = true;
            }
            std::vector<std::optional<QString>> fields(static_cast<size_t>(count));
            for (; !records.eof(); records.moveNext()) {
                bool any = false;
                for (int j = 0; j < count; ++j) {
                    fields[size_t(j)] = records.value(j);
                    any = any || fields[size_t(j)].has_value();
                }
                results.addRecord(fields);
                if (searched)
                    found.push_back(records.recordStart());
                // The last record decides; a record with no field at all decides nothing.
                if (any)
                    state = count > 1 && fields[1] == QStringLiteral("YES") ? MatchState::MatchedCleared
                                                                            : MatchState::Matched;
            }
            records.close();
        } catch (const TextTableError &e) {
            if (refusals == Refusals::Continue && e.number() == TextTableError::SyntaxError) {
                rows.rejected(i, e.message());
                // Nothing was found for the row, so whatever comes close is all the more worth knowing.
                if (searched)
                    searched(i, query.written, {});
                continue;
            }
            if (failure)
                *failure = QStringLiteral("error %1: %2").arg(e.number()).arg(e.message());
            return Outcome::Failed;
        }
        results.rowDone();

        const RowMarks marks = grid ? RowMarks::forGridRow(state, clearedList, selecteeList)
                                    : RowMarks::forNameRow(state, clearedList, selecteeList, rows.isRed(i));
        if (marks.change)
            rows.mark(i, marks);
        rows.decided(i, state);
        if (searched)
            searched(i, query.written, found);
    }
    return Outcome::Finished;
}

} // namespace SearchRun
