#include "TestSupport.h"
#include "platform/widgets/FlexGrid.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QIcon>
#include <QPixmap>
#include <QTest>

class TestFlexGrid : public QObject
{
    Q_OBJECT

private slots:
    void fixedRowIsTheHeader_data();
    void fixedRowIsTheHeader();
    void widthsAreKeptInTwips();
    void clearEmptiesTextsAndColours();
    void markSitsBesideTheText();
    void modelStaysConsistentThroughEveryChange();
};

void TestFlexGrid::fixedRowIsTheHeader_data()
{
    QTest::addColumn<int>("fixedRows");
    QTest::addColumn<int>("modelRows");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("firstModelRow");

    newRow("one fixed row: grid row 0 is the header", 1, 2, "r0", "r1");
    newRow("no fixed row: grid row 0 is model row 0", 0, 3, "", "r0");
}

void TestFlexGrid::fixedRowIsTheHeader()
{
    QFETCH(int, fixedRows);
    QFETCH(int, modelRows);
    QFETCH(QString, header);
    QFETCH(QString, firstModelRow);

    FlexGrid grid;
    grid.setCols(2);
    grid.setRows(3);
    grid.setFixedRows(fixedRows);
    for (int r = 0; r < 3; ++r)
        grid.setTextMatrix(r, 0, QStringLiteral("r%1").arg(r));
    grid.setCellForeColor(2, 0, QColor(255, 0, 0));

    const QAbstractItemModel *model = grid.QTableView::model();
    QCOMPARE(model->rowCount(), modelRows);
    QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), header);
    QCOMPARE(model->index(0, 0).data().toString(), firstModelRow);
    QCOMPARE(model->index(2 - fixedRows, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    QCOMPARE(model->index(0, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 255));
    QCOMPARE(grid.rows(), 3);
}

void TestFlexGrid::widthsAreKeptInTwips()
{
    FlexGrid grid;
    grid.setCols(3);
    grid.setColWidth(1, 2740);
    grid.setRows(5); // a reset of the rows must not lose the widths
    QCOMPARE(grid.colWidth(1), 2740);
    QCOMPARE(grid.columnWidth(1), qRound(2740.0 * grid.logicalDpiX() / 1440));
}

void TestFlexGrid::clearEmptiesTextsAndColours()
{
    FlexGrid grid;
    grid.setCols(2);
    grid.setRows(2);
    grid.setFixedRows(1);
    grid.setTextMatrix(0, 1, "HEAD");
    grid.setTextMatrix(1, 1, "cell");
    grid.setCellBackColor(1, 1, QColor(0, 255, 0));
    grid.clear();
    QCOMPARE(grid.textMatrix(0, 1), QString());
    QCOMPARE(grid.textMatrix(1, 1), QString());
    QCOMPARE(grid.cellBackColor(1, 1), QColor(255, 255, 255));
    QCOMPARE(grid.rows(), 2);
}

void TestFlexGrid::markSitsBesideTheText()
{
    FlexGrid grid;
    grid.setCols(2);
    grid.setRows(3);
    grid.setTextMatrix(1, 0, "HASSAN");
    grid.setCellForeColor(1, 0, QColor(255, 0, 0));
    QPixmap dot(8, 8);
    dot.fill(Qt::blue);
    grid.setCellMark(1, 0, QIcon(dot), "2 possible matches");
    const QAbstractItemModel *model = grid.QTableView::model();
    const QModelIndex cell = model->index(1, 0);
    QVERIFY(grid.cellMarked(1, 0));
    QVERIFY(!grid.cellMarked(1, 1));
    QVERIFY(model->data(cell, Qt::DecorationRole).canConvert<QIcon>());
    QCOMPARE(model->data(cell, Qt::ToolTipRole).toString(), QStringLiteral("2 possible matches"));
    // Text and colours are the grid's own, the mark's only beside them.
    QCOMPARE(model->data(cell, Qt::DisplayRole).toString(), QStringLiteral("HASSAN"));
    QCOMPARE(grid.cellForeColor(1, 0), QColor(255, 0, 0));
    QCOMPARE(grid.cellBackColor(1, 0), QColor(255, 255, 255));

    grid.setCellMark(1, 0, QIcon(), "ignored");
    QVERIFY(!grid.cellMarked(1, 0));
    QVERIFY(!model->data(cell, Qt::ToolTipRole).isValid());
    grid.setCellMark(2, 1, QIcon(dot), "x");
    grid.setCellMark(7, 1, QIcon(dot), "outside the grid: nothing");
    grid.clear();
    QVERIFY(!grid.cellMarked(2, 1));
}

// Every shape change the windows make, watched by Qt's model tester: rows and columns grown and shrunk, the fixed
// row switched on and off, rows removed down to the last, a clip past the edges, a clear.
void TestFlexGrid::modelStaysConsistentThroughEveryChange()
{
    FlexGrid grid;
    QAbstractItemModelTester tester(grid.QTableView::model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    grid.setCols(4);
    grid.setRows(1001);
    grid.setClip(998, 2, {{"a", "b", "c"}, {"d"}, {"e", "f"}, {"past the last row"}});
    QCOMPARE(grid.textMatrix(1000, 3), "f");
    QCOMPARE(grid.QTableView::model()->rowCount(), 1001);
    grid.setFixedRows(1);
    QCOMPARE(grid.QTableView::model()->rowCount(), 1000);
    grid.setCols(7);
    grid.setRows(50);
    grid.setFixedRows(0);
    QCOMPARE(grid.QTableView::model()->rowCount(), 50);
    while (grid.rows() > 1)
        grid.removeRow(0);
    grid.setCols(2);
    grid.clear();
    QCOMPARE(grid.QTableView::model()->columnCount(), 2);
    QCOMPARE(grid.QTableView::model()->rowCount(), 1);
}

VEYRA_TEST(TestFlexGrid)
#include "TestFlexGrid.moc"
