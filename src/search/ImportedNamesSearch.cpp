#include "search/ImportedNamesSearch.h"

#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/MessageBox.h"
#include "shared/RgbColor.h"

#include <QProgressBar>

namespace {

// The first row without a last name ends the imported names; the scan never reads past the grid.
int lastImportedRow(const FlexGrid &grid)
{
    const int scanned = std::min(ImportedNamesSearch::ScanLimit, grid.rows());
    for (int i = 0; i < scanned; ++i) {
        if (grid.textMatrix(i, 0).isEmpty())
            return i;
    }
    return scanned - 1;
}
} // namespace

ImportedNamesSearch::ImportedNamesSearch(FlexGrid *grid, QProgressBar *progress, QWidget *messageParent)
    : m_grid(grid)
    , m_progress(progress)
    , m_messageParent(messageParent)
    , m_lastRow(lastImportedRow(*grid))
{
    m_progress->setMaximum(m_lastRow + 1);
    m_progress->repaint();
}

void ImportedNamesSearch::startRow(int row)
{
    m_grid->setCurrentCell(row, 0);
    m_progress->setValue(row + 1);
}

void ImportedNamesSearch::resetBackground(int row)
{
    m_grid->setCellBackColor(row, 0, toColor(RowColors::White));
    m_grid->setCellBackColor(row, 1, toColor(RowColors::White));
}

bool ImportedNamesSearch::isRed(int row) const
{
    return m_grid->cellForeColor(row, 1) == toColor(RowColors::Red);
}

NameQuery::Row ImportedNamesSearch::texts(int row) const
{
    return {m_grid->textMatrix(row, 0), m_grid->textMatrix(row, 1), m_grid->textMatrix(row, 2),
            m_grid->textMatrix(row, 3)};
}

void ImportedNamesSearch::writeBack(int row, const NameQuery::Row &written)
{
    m_grid->setTextMatrix(row, 0, written.lastName);
    m_grid->setTextMatrix(row, 1, written.firstAndMiddleName);
    m_grid->setTextMatrix(row, 3, written.passport);
}

void ImportedNamesSearch::mark(int row, const RowMarks &marks)
{
    for (int col : {0, 1}) {
        m_grid->setCellForeColor(row, col, toColor(marks.fore));
        if (marks.back)
            m_grid->setCellBackColor(row, col, toColor(*marks.back));
    }
}

void ImportedNamesSearch::refused(int row, const QString &message)
{
    MessageBox::show(m_messageParent, message, QString::fromLatin1(NameQuery::RefusalTitle));
    if (message == QLatin1String(NameQuery::MustEnterDob))
        m_grid->setTopRow(row);
}

int ImportedNamesSearch::uncleared() const
{
    int count = 0;
    for (int i = 0; i <= m_lastRow; ++i)
        count += m_grid->cellForeColor(i, 0) == toColor(RowColors::Red);
    return count;
}
