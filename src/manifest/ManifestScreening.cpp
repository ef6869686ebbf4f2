#include "manifest/ManifestScreening.h"

#include "manifest/ManifestFile.h"
#include "search/ScreeningStatus.h"

ManifestScreening::Result ManifestScreening::place(const QStringList &fullNames, const QList<SearchedRow> &rows)
{
    int firstBlock = 0;
    while (firstBlock < ManifestFile::PersonRows && !fullNames.value(firstBlock).isEmpty())
        ++firstBlock;

    Result result;
    int imported = 0;
    for (const SearchedRow &row : rows) {
        if (row.lastName.isEmpty())
            continue;
        const int target = firstBlock + imported + 1;
        if (target > ManifestFile::PersonRows) {
            ++result.leftOut;
            continue;
        }
        ++imported;
        result.placements.append({target, row.firstAndMiddleName + u' ' + row.lastName, row.dateOfBirth, row.passport,
                                  ScreeningStatus::fromMarks(row.foreColor, row.backColor), row.advisory});
    }
    return result;
}
