#pragma once

#include "search/SearchRun.h"

class FlexGrid;
class QProgressBar;
class QWidget;

// The imported-names grid as a search sees it: rows up to the first without a last name, the marks in columns
// 0 and 1, and the progress bar that follows the rows.
class ImportedNamesSearch : public SearchRows
{
public:
    static constexpr int ScanLimit = 1000; // imported names are searched in rows 0 to 999

    ImportedNamesSearch(FlexGrid *grid, QProgressBar *progress, QWidget *messageParent);

    bool gridMode() const override { return true; }
    int lastRow() const override { return m_lastRow; }
    void startRow(int row) override;
    void resetBackground(int row) override;
    bool isRed(int row) const override;
    bool isTicked(int) const override { return true; }
    bool dateRuleApplies(int) const override { return true; }
    NameQuery::Row texts(int row) const override;
    void writeBack(int row, const NameQuery::Row &written) override;
    void mark(int row, const RowMarks &marks) override;
    void refused(int row, const QString &message) override;

    // Rows 0 to the last row whose last name is marked red.
    int uncleared() const;

private:
    FlexGrid *m_grid;
    QProgressBar *m_progress;
    QWidget *m_messageParent;
    int m_lastRow;
};
