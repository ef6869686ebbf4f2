#include "search/ResultGridWriter.h"

#include "platform/widgets/FlexGrid.h"

ResultGridWriter::ResultGridWriter(FlexGrid *grid, std::function<void()> rowDone)
    : m_grid(grid)
    , m_rowDone(std::move(rowDone))
{}

void ResultGridWriter::setFieldCount(int count)
{
    m_grid->setCols(count);
    // A list with more than the eleven known columns shows the twelfth wide enough to read.
    if (count > 11)
        m_grid->setColWidth(11, 12000);
}

void ResultGridWriter::addRecord(const std::vector<std::optional<QString>> &fields)
{
    m_grid->setRows(m_grid->rows() + 1);
    for (size_t j = 0; j < fields.size(); ++j) {
        if (fields[j])
            m_grid->setTextMatrix(m_nextRow, int(j), *fields[j]);
    }
    ++m_nextRow;
}
