#include "platform/widgets/FlexGrid.h"

#include "platform/widgets/Twips.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace {
constexpr int DefaultColWidthTwips = 960;
}

int FlexGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows - m_fixedRows;
}

int FlexGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_cols;
}

QVariant FlexGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const Cell &c = cell(index.row() + m_fixedRows, index.column());
    switch (role) {
    case Qt::DisplayRole:
        return c.text;
    case Qt::ForegroundRole:
        return c.foreColor.isValid() ? c.foreColor : QColor(Qt::black);
    case Qt::BackgroundRole:
        return c.backColor.isValid() ? c.backColor : QColor(Qt::white);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(colAlignment(index.column()));
    case Qt::DecorationRole:
        return c.mark.isNull() ? QVariant() : QVariant(c.mark);
    case Qt::ToolTipRole:
        return c.markTip.isEmpty() ? QVariant() : QVariant(c.markTip);
    default:
        return {};
    }
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_cols || role != Qt::DisplayRole)
        return {};
    if (m_fixedRows > 0)
        return cell(0, section).text;
    return m_headings.value(section);
}

void FlexGridModel::setHeadings(const QStringList &headings)
{
    m_headings = headings;
    if (m_cols > 0)
        emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
}

void FlexGridModel::resize(int rows, int cols)
{
    rows = std::max(rows, m_fixedRows);
    cols = std::max(cols, 0);
    if (rows == m_rows && cols == m_cols)
        return;
    if (cols == m_cols && rows > m_rows) {
        // Rows added one by one as results arrive: an insertion, not a reset of the whole view.
        beginInsertRows({}, m_rows - m_fixedRows, rows - m_fixedRows - 1);
        m_cells.resize(static_cast<size_t>(rows) * cols);
        m_rows = rows;
        endInsertRows();
        return;
    }
    beginResetModel();
    std::vector<Cell> cells(static_cast<size_t>(rows) * cols);
    for (int r = 0; r < std::min(rows, m_rows); ++r)
        for (int c = 0; c < std::min(cols, m_cols); ++c)
            cells[static_cast<size_t>(r) * cols + c] = std::move(m_cells[static_cast<size_t>(r) * m_cols + c]);
    m_cells = std::move(cells);
    m_rows = rows;
    m_cols = cols;
    endResetModel();
}

Qt::Alignment FlexGridModel::colAlignment(int col) const
{
    return static_cast<size_t>(col) < m_alignments.size() ? m_alignments[col] : Qt::AlignLeft | Qt::AlignVCenter;
}

void FlexGridModel::setColAlignment(int col, Qt::Alignment alignment)
{
    if (col < 0 || col >= m_cols)
        return;
    if (m_alignments.size() < static_cast<size_t>(m_cols))
        m_alignments.resize(static_cast<size_t>(m_cols), Qt::AlignLeft | Qt::AlignVCenter);
    m_alignments[col] = alignment;
    if (rowCount() > 0)
        emit dataChanged(index(0, col), index(rowCount() - 1, col), {Qt::TextAlignmentRole});
}

void FlexGridModel::setTexts(int top, int left, const QList<QStringList> &rows)
{
    int lastRow = top;
    for (qsizetype r = 0; r < rows.size() && top + r < m_rows; ++r) {
        for (qsizetype c = 0; c < rows[r].size() && left + c < m_cols; ++c)
            m_cells[static_cast<size_t>(top + r) * m_cols + left + c].text = rows[r][c];
        lastRow = top + static_cast<int>(r);
    }
    if (m_rows > m_fixedRows && m_cols > 0)
        emit dataChanged(index(std::max(top - m_fixedRows, 0), 0),
                         index(std::clamp(lastRow - m_fixedRows, 0, rowCount() - 1), m_cols - 1));
}

void FlexGridModel::removeGridRow(int row)
{
    if (row < m_fixedRows || row >= m_rows)
        return;
    beginRemoveRows({}, row - m_fixedRows, row - m_fixedRows);
    const auto first = m_cells.begin() + static_cast<std::ptrdiff_t>(row) * m_cols;
    m_cells.erase(first, first + m_cols);
    --m_rows;
    endRemoveRows();
}

void FlexGridModel::setFixedRows(int fixedRows)
{
    fixedRows = std::clamp(fixedRows, 0, 1);
    if (fixedRows == m_fixedRows)
        return;
    beginResetModel();
    m_fixedRows = fixedRows;
    m_rows = std::max(m_rows, m_fixedRows);
    m_cells.resize(static_cast<size_t>(m_rows) * m_cols);
    endResetModel();
}

void FlexGridModel::clearCells()
{
    for (Cell &c : m_cells)
        c = Cell();
    if (m_rows > m_fixedRows && m_cols > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, m_cols - 1));
    if (m_fixedRows > 0 && m_cols > 0)
        emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
}

void FlexGridModel::updateCell(int row, int col, const std::function<void(Cell &)> &change)
{
    change(m_cells[static_cast<size_t>(row) * m_cols + col]);
    if (row < m_fixedRows)
        emit headerDataChanged(Qt::Horizontal, col, col);
    else
        emit dataChanged(index(row - m_fixedRows, col), index(row - m_fixedRows, col));
}

FlexGrid::FlexGrid(QWidget *parent)
    : QTableView(parent)
{
    setModel(&m_model);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
        const int gridRow = index.row() + fixedRows();
        if (cellMarked(gridRow, index.column()))
            emit markClicked(gridRow, index.column());
    });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int pixels) {
        if (section >= 0 && static_cast<size_t>(section) < m_widthsTwips.size())
            m_widthsTwips[section] = Twips::fromPixelsX(pixels, *this);
    });
}

bool FlexGrid::inRange(int row, int col) const
{
    return row >= 0 && row < rows() && col >= 0 && col < cols();
}

void FlexGrid::setRows(int rows)
{
    m_model.resize(rows, cols());
    showHeader();
    applyWidths(); // a model reset forgets the header's section sizes
}

void FlexGrid::setCols(int cols)
{
    m_model.resize(rows(), cols);
    m_widthsTwips.resize(static_cast<size_t>(std::max(cols, 0)), DefaultColWidthTwips);
    applyWidths();
}

void FlexGrid::setFixedRows(int fixedRows)
{
    m_model.setFixedRows(fixedRows);
    showHeader();
    applyWidths();
}

void FlexGrid::setColumnHeadings(const QStringList &headings)
{
    m_headings = !headings.isEmpty();
    m_model.setHeadings(headings);
    showHeader();
}

void FlexGrid::showHeader()
{
    horizontalHeader()->setVisible(fixedRows() > 0 || m_headings);
}

void FlexGrid::setFixedCols(int fixedCols)
{
    Q_ASSERT(fixedCols == 0);
}

QString FlexGrid::textMatrix(int row, int col) const
{
    return inRange(row, col) ? m_model.cell(row, col).text : QString();
}

void FlexGrid::setTextMatrix(int row, int col, const QString &text)
{
    if (inRange(row, col))
        m_model.updateCell(row, col, [&](FlexGridModel::Cell &c) { c.text = text; });
}

QColor FlexGrid::cellForeColor(int row, int col) const
{
    const QColor c = inRange(row, col) ? m_model.cell(row, col).foreColor : QColor();
    return c.isValid() ? c : QColor(Qt::black);
}

void FlexGrid::setCellForeColor(int row, int col, const QColor &color)
{
    if (inRange(row, col))
        m_model.updateCell(row, col, [&](FlexGridModel::Cell &c) { c.foreColor = color; });
}

QColor FlexGrid::cellBackColor(int row, int col) const
{
    const QColor c = inRange(row, col) ? m_model.cell(row, col).backColor : QColor();
    return c.isValid() ? c : QColor(Qt::white);
}

void FlexGrid::setCellBackColor(int row, int col, const QColor &color)
{
    if (inRange(row, col))
        m_model.updateCell(row, col, [&](FlexGridModel::Cell &c) { c.backColor = color; });
}

void FlexGrid::setCellMark(int row, int col, const QIcon &icon, const QString &toolTip)
{
    if (inRange(row, col)) {
        m_model.updateCell(row, col, [&](FlexGridModel::Cell &c) {
            c.mark = icon;
            c.markTip = icon.isNull() ? QString() : toolTip;
        });
    }
}

bool FlexGrid::cellMarked(int row, int col) const
{
    return inRange(row, col) && !m_model.cell(row, col).mark.isNull();
}

int FlexGrid::colAlignment(int col) const
{
    return m_model.colAlignment(col).testFlag(Qt::AlignHCenter) ? CenterTop : LeftTop;
}

void FlexGrid::setColAlignment(int col, int code)
{
    m_model.setColAlignment(col, (code == CenterTop ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
}

int FlexGrid::colWidth(int col) const
{
    return col >= 0 && static_cast<size_t>(col) < m_widthsTwips.size() ? m_widthsTwips[col] : 0;
}

void FlexGrid::setColWidth(int col, int twips)
{
    if (col < 0 || static_cast<size_t>(col) >= m_widthsTwips.size())
        return;
    m_widthsTwips[col] = twips;
    const QSignalBlocker blocker(horizontalHeader());
    setColumnWidth(col, Twips::toPixelsX(twips, *this));
}

void FlexGrid::applyWidths()
{
    const QSignalBlocker blocker(horizontalHeader());
    for (size_t c = 0; c < m_widthsTwips.size(); ++c)
        setColumnWidth(static_cast<int>(c), Twips::toPixelsX(m_widthsTwips[c], *this));
}

int FlexGrid::row() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() + fixedRows() : fixedRows();
}

int FlexGrid::col() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.column() : 0;
}

void FlexGrid::setCurrentCell(int row, int col)
{
    if (inRange(row, col) && row >= fixedRows())
        setCurrentIndex(m_model.index(row - fixedRows(), col));
}

int FlexGrid::topRow() const
{
    const int modelRow = rowAt(0);
    return (modelRow < 0 ? 0 : modelRow) + fixedRows();
}

void FlexGrid::setTopRow(int row)
{
    if (row >= fixedRows() && row < rows())
        scrollTo(m_model.index(row - fixedRows(), 0), QAbstractItemView::PositionAtTop);
}

void FlexGrid::setClip(int row, int col, const QList<QStringList> &rows)
{
    if (!inRange(row, col))
        return;
    setUpdatesEnabled(false);
    m_model.setTexts(row, col, rows);
    setUpdatesEnabled(true);
}

void FlexGrid::clear()
{
    m_model.clearCells();
}

void FlexGrid::removeRow(int row)
{
    m_model.removeGridRow(row);
}

void FlexGrid::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    // Tab moves the focus on, and Delete carries no character in the grid's key-press sense.
    if (!text.isEmpty() && text[0] != u'\t' && text[0] != QChar(0x7f)) {
        emit keyPressed(text[0].unicode());
        return;
    }
    QTableView::keyPressEvent(event);
}
