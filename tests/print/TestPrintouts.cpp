#include "TestSupport.h"
#include "print/ManifestPrintout.h"
#include "print/SearchLogPrintout.h"
#include "support/RecordingSurface.h"

#include <QDir>
#include <QTemporaryDir>

using TestSupport::writeFile;
using Op = RecordingSurface::Op;

Q_DECLARE_METATYPE(SearchLogPrintout::Inputs)

// Both printouts on a recording surface: what lands where, in twips on the paper (every y 400 lower than the
// printout's own position, for the shifted top origin).
class TestPrintouts : public QObject
{
    Q_OBJECT

private slots:
    void searchLog_data();
    void searchLog();
    void searchLogFailureEndsTheDocument();
    void manifestOnePage();
    void manifestLongEnoughForPage2();
    void manifestFooters_data();
    void manifestFooters();
    void longFooterWrapsIntoCentredLines();
    void footerWrapsAsATextBox_data();
    void footerWrapsAsATextBox();
};

namespace {

constexpr double Shift = 400;

// Line heights and text widths as the surface measures them.
struct Metrics
{
    double height(double size, bool bold)
    {
        probe.setFont({"Tahoma", size, bold, false});
        return probe.lineHeight();
    }
    double width(const QString &text, double size, bool bold)
    {
        probe.setFont({"Tahoma", size, bold, false});
        return probe.textWidth(text);
    }
    RecordingSurface probe;
};

QStringList texts(const QList<Op> &ops)
{
    QStringList result;
    for (const Op &op : ops)
        result.append(op.kind == Op::Text ? op.text : op.kind == Op::Line ? QStringLiteral("<line>") : "<end>");
    return result;
}

const Op *find(const QList<Op> &ops, const QString &text)
{
    for (const Op &op : ops)
        if (op.kind == Op::Text && op.text == text)
            return &op;
    return nullptr;
}

void verifyAt(const QList<Op> &ops, const QString &text, double x, double y)
{
    const Op *op = find(ops, text);
    QVERIFY2(op, qPrintable("not printed: " + text));
    QVERIFY2(qAbs(op->x - x) < 0.01 && qAbs(op->y - y) < 0.01,
             qPrintable(QStringLiteral("%1 at %2,%3, expected %4,%5").arg(text).arg(op->x).arg(op->y).arg(x).arg(y)));
}

ManifestPrintout::Inputs manifest(int filledRows, const QString &footerFolder)
{
    ManifestPrintout::Inputs in{"ACME Air",       "123", {}, "Veyra_No_Fly_1.csv", "Veyra_Selectee_1.csv", footerFolder,
                                QDate(2025, 7, 4)};
    for (int r = 1; r <= 49; ++r) {
        QStringList cells(7);
        cells[0] = QString::number(r);
        if (r <= filledRows)
            cells = {QString::number(r), QStringLiteral("PERSON %1").arg(r), "F", "P1", "", "1/1/1970", "CLEARED"};
        in.rows.append(cells);
    }
    return in;
}

} // namespace

void TestPrintouts::searchLog_data()
{
    QTest::addColumn<SearchLogPrintout::Inputs>("inputs");
    QTest::newRow("all filled") << SearchLogPrintout::Inputs{
        "ACME Air", "7/4/25", "Crew-1", "Veyra_No_Fly_1.csv", "Veyra_Selectee_1.csv", "Veyra_Cleared_1.csv"};
    QTest::newRow("nothing selected, labels only") << SearchLogPrintout::Inputs{"", "7/4/25", "", "", "", ""};
    QTest::newRow("company wider than the page")
        << SearchLogPrintout::Inputs{QString(300, u'W'), "7/4/25", "", "", "", ""};
}

void TestPrintouts::searchLog()
{
    QFETCH(SearchLogPrintout::Inputs, inputs);
    RecordingSurface page;
    page.setFont({"Courier", 12, false, true});
    QVERIFY(SearchLogPrintout::print(page, inputs));

    Metrics m;
    const double w = page.pageWidth();
    const double big = m.height(14, true);
    const double small = m.height(10, true);
    if (!inputs.companyName.isEmpty())
        verifyAt(page.ops, inputs.companyName, w / 2 - m.width(inputs.companyName, 14, true) / 2, 400 + Shift);
    const QString date = "Date: " + inputs.date;
    verifyAt(page.ops, date, w / 2 - m.width(date, 14, true) / 2, 400 + 2 * big + Shift);
    const QString nameFile = "Name File: " + inputs.currentNameFile;
    verifyAt(page.ops, nameFile, w / 2 - m.width(nameFile, 14, true) / 2, 400 + 3 * big + Shift);
    const double rule = 400 + 5 * big;
    verifyAt(page.ops, "No-Fly-List #: " + inputs.noFlyListName, w * 0.2, rule + small + Shift);
    verifyAt(page.ops, "Cleared List #: " + inputs.clearedListName, w * 0.2, rule + 3 * small + Shift);
    const double signature = rule + 5 * small + 1800;
    verifyAt(page.ops, "Approved By", 400, rule + 5 * small + 800 + Shift);
    verifyAt(page.ops, "Veyra No-Fly Verifier", 400, signature + Shift);
    verifyAt(page.ops, "Date", w * 0.8, signature + Shift);

    QList<double> rules;
    for (const Op &op : page.ops)
        if (op.kind == Op::Line) {
            QCOMPARE(op.x, 200.0);
            QCOMPARE(op.x2, w);
            rules.append(op.y - Shift);
        }
    QCOMPARE(rules, (QList<double>{rule, rule + 5 * small, signature}));
    QCOMPARE(page.ops.last().kind, Op::EndDoc);
    // The font is put back, italic off.
    QCOMPARE(page.font().name, "Courier");
    QCOMPARE(page.font().size, 12.0);
    QVERIFY(!page.font().italic);
}

void TestPrintouts::searchLogFailureEndsTheDocument()
{
    RecordingSurface page;
    page.failAfter = 3;
    QVERIFY(!SearchLogPrintout::print(page, {"ACME", "7/4/25", "", "", "", ""}));
    QCOMPARE(texts(page.ops), (QStringList{"ACME", "Date: 7/4/25", "Name File: ", "<end>"}));
    QCOMPARE(page.font().name, "Arial");
}

void TestPrintouts::manifestOnePage()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("Footer1.txt"), "\"I certify, as required, that this list is complete.\"\r\n");
    writeFile(dir.filePath("Footer2.txt"), "Signed at the gate,ignored after the comma\r\n");
    ManifestPrintout::Inputs in = manifest(2, dir.path());
    in.rows[3][1] = "FOURTH"; // rows 1, 2 and 4 filled: three rows printed, row 3 with its number only
    RecordingSurface page;
    QVERIFY(ManifestPrintout::print(page, in));

    Metrics m;
    const double w = page.pageWidth();
    const double h = page.pageHeight();
    const double big = m.height(14, true);
    const double small = m.height(10, true);
    const double plain = m.height(10, false);
    verifyAt(page.ops, "ACME Air", w / 2 - m.width("ACME Air", 14, true) / 2, Shift);
    verifyAt(page.ops, "Manifest #: 123", w / 2 - m.width("Manifest #: 123", 14, true) / 2, big + Shift);
    verifyAt(page.ops, "Status", 10000, 3 * big + Shift);
    verifyAt(page.ops, "Date of Birth", 8300, 3 * big + Shift);
    const double firstRow = 3 * big + small;
    verifyAt(page.ops, "PERSON 1", 400, firstRow + Shift);
    verifyAt(page.ops, "F", 4300, firstRow + Shift);
    verifyAt(page.ops, "3", 0, firstRow + 2 * plain + Shift);
    QVERIFY(!find(page.ops, "4"));
    QVERIFY(!find(page.ops, "FOURTH"));

    const double footer = h - ManifestPrintout::FooterSpace;
    const QString first = "I certify, as required, that this list is complete.";
    verifyAt(page.ops, first, w * 0.5 - m.width(first, 10, false) / 2, footer + 500 + Shift);
    const double second = footer + 500 + plain + 500;
    verifyAt(page.ops, "Signed at the gate", w * 0.5 - m.width("Signed at the gate", 10, false) / 2, second + Shift);
    const double block = second + plain + 500;
    verifyAt(page.ops, "Veyra No-Fly List Verifier", 200, block + Shift);
    verifyAt(page.ops, "No-Fly-List #", w * 0.5, block + Shift);
    verifyAt(page.ops, "Veyra_No_Fly_1.csv", w * 0.4, block + 2 * plain + Shift);
    verifyAt(page.ops, "07-04-2025", w * 0.78, block + 2 * plain + Shift);
    const double selectee = block + 3 * plain + 200;
    verifyAt(page.ops, "Passenger ID Verifier", 200, selectee + Shift);
    verifyAt(page.ops, "Veyra_Selectee_1.csv", w * 0.4, selectee + 2 * plain + Shift);

    QList<double> rules;
    for (const Op &op : page.ops)
        if (op.kind == Op::Line)
            rules.append(op.y - Shift);
    QCOMPARE(rules, (QList<double>{footer, block, selectee, selectee + 3 * plain + 500}));
    QCOMPARE(texts(page.ops).count("<end>"), 1);
}

void TestPrintouts::manifestLongEnoughForPage2()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("Footer1.txt"), "One\r\n");
    writeFile(dir.filePath("Footer2.txt"), "Two\r\n");
    RecordingSurface page;
    QVERIFY(ManifestPrintout::print(page, manifest(49, dir.path())));

    const QStringList printed = texts(page.ops);
    const qsizetype continued = printed.indexOf("Continued on next page");
    QVERIFY(continued > 0);
    QCOMPARE(printed.mid(continued, 4), (QStringList{"Continued on next page", "<end>", "Page 2 of 2", "<line>"}));
    Metrics m;
    verifyAt(page.ops, "Page 2 of 2", 0, Shift);
    QCOMPARE(page.ops[continued + 3].y, m.height(10, false) + Shift);
    QCOMPARE(printed.last(), "<end>");
}

void TestPrintouts::manifestFooters_data()
{
    QTest::addColumn<QByteArray>("footer1");
    QTest::addColumn<QByteArray>("footer2");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<QStringList>("after"); // what is printed after the footer rule, up to the verification block

    QTest::newRow("missing first footer ends after the rule")
        << QByteArray() << QByteArray("B") << false << QStringList{"<end>"};
    QTest::newRow("empty second footer ends after the first")
        << QByteArray("A\r\n") << QByteArray("") << false << QStringList{"A", "<end>"};
    QTest::newRow("first line empty prints one empty line")
        << QByteArray("\r\nnot read") << QByteArray("B") << true << QStringList{"B", "<line>"};
}

void TestPrintouts::manifestFooters()
{
    QFETCH(QByteArray, footer1);
    QFETCH(QByteArray, footer2);
    QFETCH(bool, whole);
    QFETCH(QStringList, after);
    QTemporaryDir dir;
    if (!footer1.isEmpty())
        writeFile(dir.filePath("Footer1.txt"), footer1);
    writeFile(dir.filePath("Footer2.txt"), footer2);
    RecordingSurface page;
    QCOMPARE(ManifestPrintout::print(page, manifest(1, dir.path())), whole);
    const QStringList printed = texts(page.ops);
    QCOMPARE(printed.mid(printed.indexOf("<line>") + 1, after.size()), after);
}

void TestPrintouts::longFooterWrapsIntoCentredLines()
{
    QTemporaryDir dir;
    QStringList words;
    for (int i = 0; i < 40; ++i)
        words.append(QStringLiteral("word%1").arg(i));
    const QString text = words.join(' ');
    writeFile(dir.filePath("Footer1.txt"), '"' + text.toUtf8() + "\"\r\n");
    writeFile(dir.filePath("Footer2.txt"), "B\r\n");
    RecordingSurface page;
    QVERIFY(ManifestPrintout::print(page, manifest(0, dir.path())));

    Metrics m;
    const double w = page.pageWidth();
    QStringList lines;
    for (const Op &op : page.ops) {
        if (op.kind != Op::Text || !op.text.startsWith("word"))
            continue;
        lines.append(op.text);
        QVERIFY(m.width(op.text, 10, false) <= w * 0.5);
        QCOMPARE(op.x, w * 0.5 - m.width(op.text, 10, false) / 2);
    }
    QVERIFY(lines.size() > 1);
    QCOMPARE(lines.join(' '), text);
}

void TestPrintouts::footerWrapsAsATextBox_data()
{
    QTest::addColumn<QString>("footer");
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<QString>("joined"); // the printed lines put together without separators
    QTest::addColumn<int>("minLines");

    const QString longWord(120, u'X');
    QTest::newRow("a word wider than the box is broken inside it") << longWord << QString() << longWord << 3;
    QTest::newRow("the word before a long one keeps its own line") << "Signed: " + longWord << "Signed:"
                                                                   << "Signed:" + longWord << 3;
    QTest::newRow("blanks at the start are kept") << "   Gate agent"
                                                  << "   Gate agent"
                                                  << "   Gate agent" << 1;
    QTest::newRow("a blank-only text is printed as it is") << "  "
                                                           << "  "
                                                           << "  " << 1;
}

void TestPrintouts::footerWrapsAsATextBox()
{
    QFETCH(QString, footer);
    QFETCH(QString, firstLine);
    QFETCH(QString, joined);
    QFETCH(int, minLines);

    QTemporaryDir dir;
    writeFile(dir.filePath("Footer1.txt"), '"' + footer.toUtf8() + "\"\r\n");
    writeFile(dir.filePath("Footer2.txt"), "END\r\n");
    RecordingSurface page;
    QVERIFY(ManifestPrintout::print(page, manifest(0, dir.path())));
    const QStringList printed = texts(page.ops);
    const qsizetype first = printed.indexOf("<line>") + 1;
    const QStringList lines = printed.mid(first, printed.indexOf("END") - first);

    QVERIFY2(lines.size() >= minLines, qPrintable(lines.join('|')));
    if (!firstLine.isEmpty())
        QCOMPARE(lines.first(), firstLine);
    QCOMPARE(lines.join(QString()), joined);
    Metrics m;
    for (const QString &line : lines)
        QVERIFY2(m.width(line, 10, false) <= page.pageWidth() * 0.5, qPrintable(line));
}

VEYRA_TEST(TestPrintouts)
#include "TestPrintouts.moc"
