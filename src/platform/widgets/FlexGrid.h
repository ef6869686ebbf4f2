#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QTableView>

#include <functional>
#include <vector>

// The cells of a FlexGrid. Grid row 0 is the fixed row when there is one: it is shown as the horizontal header,
// and grid row r is then model row r - 1.
class FlexGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    struct Cell
    {
        QString text;
        QColor foreColor;
        QColor backColor;
        QIcon mark; // an advisory drawn beside the text, with its tool tip
        QString markTip;
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int gridRows() const { return m_rows; }
    int gridCols() const { return m_cols; }
    int fixedRows() const { return m_fixedRows; }
    void resize(int rows, int cols);
    void setFixedRows(int fixedRows);
    void clearCells();
    void removeGridRow(int row);
    Qt::Alignment colAlignment(int col) const;
    void setColAlignment(int col, Qt::Alignment alignment);
    void setHeadings(const QStringList &headings);

    const Cell &cell(int row, int col) const { return m_cells[static_cast<size_t>(row) * m_cols + col]; }
    void updateCell(int row, int col, const std::function<void(Cell &)> &change);
    // Texts for a block of cells from (top, left), row by row; cells outside the grid are dropped.
    void setTexts(int top, int left, const QList<QStringList> &rows);

private:
    int m_rows = 0;
    int m_cols = 0;
    int m_fixedRows = 0;
    std::vector<Cell> m_cells;
    std::vector<Qt::Alignment> m_alignments; // of the rows below the fixed row, per column
    QStringList m_headings;                  // of a grid without a fixed row
};

// A grid with per-cell texts and colours and a FlexGrid-like interface: rows and columns counted with the
// fixed row, widths in twips.
class FlexGrid : public QTableView
{
    Q_OBJECT

public:
    explicit FlexGrid(QWidget *parent = nullptr);

    int rows() const { return m_model.gridRows(); }
    void setRows(int rows);
    int cols() const { return m_model.gridCols(); }
    void setCols(int cols);
    int fixedRows() const { return m_model.fixedRows(); }
    void setFixedRows(int fixedRows); // 0 or 1
    int fixedCols() const { return 0; }
    void setFixedCols(int fixedCols); // the grids have no fixed columns

    QString textMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString &text);
    QColor cellForeColor(int row, int col) const;
    void setCellForeColor(int row, int col, const QColor &color);
    QColor cellBackColor(int row, int col) const;
    void setCellBackColor(int row, int col, const QColor &color);
    // A small mark beside a cell's text, which changes none of its colours; a null icon takes it away.
    void setCellMark(int row, int col, const QIcon &icon, const QString &toolTip);
    bool cellMarked(int row, int col) const;

    // The alignment codes of the person rows: 0 left at the top, 3 centred at the top.
    enum Alignment { LeftTop = 0, CenterTop = 3 };
    int colAlignment(int col) const;
    void setColAlignment(int col, int code);

    // Headings over the columns of a grid without a fixed row; they are no grid row.
    void setColumnHeadings(const QStringList &headings);

    int colWidth(int col) const;
    void setColWidth(int col, int twips);

    int row() const;
    int col() const;
    void setCurrentCell(int row, int col);
    int topRow() const;
    void setTopRow(int row);

    // Fills the cells from (row, col) on with rows of texts in one change, as a clip assignment does; the view
    // is not redrawn until all are in.
    void setClip(int row, int col, const QList<QStringList> &rows);

    // Empties every cell: texts and colours.
    void clear();
    // Removes a row; the rows below move up.
    void removeRow(int row);

    const FlexGridModel &model() const { return m_model; }

signals:
    // A key that types a character (backspace and Enter included, Tab and Delete not), as its character code;
    // the grid itself does nothing with it.
    void keyPressed(int code);
    // A click on a cell that carries a mark.
    void markClicked(int row, int col);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool inRange(int row, int col) const;
    void showHeader();
    void applyWidths();

    FlexGridModel m_model;
    std::vector<int> m_widthsTwips;
    bool m_headings = false;
};
