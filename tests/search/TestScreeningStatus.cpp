#include "TestSupport.h"
#include "search/RowMarks.h"
#include "search/ScreeningStatus.h"

Q_DECLARE_METATYPE(Rgb)

class TestScreeningStatus : public QObject
{
    Q_OBJECT

private slots:
    void fromMarks_data();
    void fromMarks();
};

void TestScreeningStatus::fromMarks_data()
{
    QTest::addColumn<Rgb>("fore");
    QTest::addColumn<Rgb>("back");
    QTest::addColumn<QString>("status");
    newRow("red text is NO FLY", RowColors::Red, RowColors::White, "NO FLY");
    newRow("red beats yellow", RowColors::Red, RowColors::Yellow, "NO FLY");
    newRow("yellow with black text is SSSS", RowColors::Black, RowColors::Yellow, "SSSS");
    newRow("green is CLEARED", RowColors::Black, RowColors::Green, "CLEARED");
    newRow("pale yellow of a left-out row is CLEARED", RowColors::Black, RowColors::PaleYellow, "CLEARED");
    newRow("never searched is CLEARED", RowColors::Black, RowColors::White, "CLEARED");
}

void TestScreeningStatus::fromMarks()
{
    QFETCH(Rgb, fore);
    QFETCH(Rgb, back);
    QFETCH(QString, status);
    QCOMPARE(ScreeningStatus::fromMarks(fore, back), status);
}

VEYRA_TEST(TestScreeningStatus)
#include "TestScreeningStatus.moc"
