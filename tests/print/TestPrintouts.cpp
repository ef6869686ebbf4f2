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
    void listVersionsAtTheBottom();
    void manifestStaysOnThePageInAWiderFont_data();
    void manifestStaysOnThePageInAWiderFont();
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
    ManifestPrintout::Inputs in{
        "ACME Air", "123", {}, "Veyra_No_Fly_1.csv", "Veyra_Selectee_1.csv", footerFolder, QDate(2025, 7, 4), {}};
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
    // Where the centred lines start, with characters of 140 twips (14 point) on a page 12240 twips wide.
    QTest::addColumn<double>("companyX");
    QTest::addColumn<double>("dateX");
    QTest::addColumn<double>("nameFileX");
    newRow("all filled",
           SearchLogPrintout::Inputs{
               "ACME Air", "7/4/25", "Crew-1", "Veyra_No_Fly_1.csv", "Veyra_Selectee_1.csv", "Veyra_Cleared_1.csv", {}},
           5560.0, 5280.0, 4930.0);
    newRow("nothing selected, labels only", SearchLogPrintout::Inputs{"", "7/4/25", "", "", "", "", {}}, 6120.0, 5280.0,
           5350.0);
    newRow("company wider than the page: starts left of the page",
           SearchLogPrintout::Inputs{QString(300, u'W'), "7/4/25", "", "", "", "", {}}, -14880.0, 5280.0, 5350.0);
}

void TestPrintouts::searchLog()
{
    QFETCH(SearchLogPrintout::Inputs, inputs);
    QFETCH(double, companyX);
    QFETCH(double, dateX);
    QFETCH(double, nameFileX);
    RecordingSurface page;
    page.fixedMetrics = true;
    page.setFont({"Courier", 12, false, true});
    QVERIFY(SearchLogPrintout::print(page, inputs));

    // Lines of 350 twips in 14 point and 250 in 10 point; every y lands 400 twips lower on the paper.
    if (!inputs.companyName.isEmpty())
        verifyAt(page.ops, inputs.companyName, companyX, 800);
    verifyAt(page.ops, "Date: " + inputs.date, dateX, 1500);
    verifyAt(page.ops, "Name File: " + inputs.currentNameFile, nameFileX, 1850);
    verifyAt(page.ops, "No-Fly-List #: " + inputs.noFlyListName, 2448, 2800);
    verifyAt(page.ops, "Selectee List #: " + inputs.selecteeListName, 2448, 3050);
    verifyAt(page.ops, "Cleared List #: " + inputs.clearedListName, 2448, 3300);
    verifyAt(page.ops, "Approved By", 400, 4600);
    verifyAt(page.ops, "Veyra No-Fly Verifier", 400, 5600);
    verifyAt(page.ops, "Date", 9792, 5600);

    QList<double> rules;
    for (const Op &op : page.ops)
        if (op.kind == Op::Line) {
            QCOMPARE(op.x, 200.0);
            QCOMPARE(op.x2, 12240.0);
            rules.append(op.y);
        }
    QCOMPARE(rules, (QList<double>{2550, 3800, 5600}));
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
    QVERIFY(!SearchLogPrintout::print(page, {"ACME", "7/4/25", "", "", "", "", {}}));
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
    page.fixedMetrics = true;
    QVERIFY(ManifestPrintout::print(page, in));

    // A Letter page of 12240 by 15840 twips; lines of 350 twips in 14 point and 250 in 10 point, characters of
    // 140 and 100 twips; every y lands 400 twips lower on the paper.
    verifyAt(page.ops, "ACME Air", 5560, 400);
    verifyAt(page.ops, "Manifest #: 123", 5070, 750);
    verifyAt(page.ops, "Status", 10000, 1450);
    verifyAt(page.ops, "Date of Birth", 8300, 1450);
    verifyAt(page.ops, "PERSON 1", 400, 1700);
    verifyAt(page.ops, "F", 4300, 1700);
    verifyAt(page.ops, "3", 0, 2200);
    QVERIFY(!find(page.ops, "4"));
    QVERIFY(!find(page.ops, "FOURTH"));

    // The footer block starts at H - 4890 = 10950.
    verifyAt(page.ops, "I certify, as required, that this list is complete.", 3570, 11850);
    verifyAt(page.ops, "Signed at the gate", 5220, 12600);
    verifyAt(page.ops, "Veyra No-Fly List Verifier", 200, 13350);
    verifyAt(page.ops, "No-Fly-List #", 6120, 13350);
    verifyAt(page.ops, "Veyra_No_Fly_1.csv", 4896, 13850);
    verifyAt(page.ops, "07-04-2025", 9547.2, 13850);
    verifyAt(page.ops, "Passenger ID Verifier", 200, 14300);
    verifyAt(page.ops, "Veyra_Selectee_1.csv", 4896, 14800);

    QList<double> rules;
    for (const Op &op : page.ops)
        if (op.kind == Op::Line)
            rules.append(op.y);
    QCOMPARE(rules, (QList<double>{11350, 13350, 14300, 15550}));
    QCOMPARE(texts(page.ops).count("<end>"), 1);
}

void TestPrintouts::manifestLongEnoughForPage2()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("Footer1.txt"), "One\r\n");
    writeFile(dir.filePath("Footer2.txt"), "Two\r\n");
    RecordingSurface page;
    page.fixedMetrics = true;
    QVERIFY(ManifestPrintout::print(page, manifest(49, dir.path())));

    const QStringList printed = texts(page.ops);
    const qsizetype continued = printed.indexOf("Continued on next page");
    QVERIFY(continued > 0);
    QCOMPARE(printed.mid(continued, 4), (QStringList{"Continued on next page", "<end>", "Page 2 of 2", "<line>"}));
    // 49 rows of 250 twips below the headings (1300 to 13550) and 500 more: past 10950, so a second page.
    verifyAt(page.ops, "PERSON 49", 400, 13700);
    verifyAt(page.ops, "Continued on next page", 0, 14450);
    verifyAt(page.ops, "Page 2 of 2", 0, 400);
    QCOMPARE(page.ops[continued + 3].y, 650.0);
    QCOMPARE(printed.last(), "<end>");
}

void TestPrintouts::manifestFooters_data()
{
    QTest::addColumn<QByteArray>("footer1");
    QTest::addColumn<QByteArray>("footer2");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<QStringList>("after"); // what is printed after the footer rule, up to the verification block

    newRow("missing first footer ends after the rule", QByteArray(), QByteArray("B"), false, QStringList{"<end>"});
    newRow("empty second footer ends after the first", QByteArray("A\r\n"), QByteArray(""), false,
           QStringList{"A", "<end>"});
    newRow("first line empty prints one empty line", QByteArray("\r\nnot read"), QByteArray("B"), true,
           QStringList{"B", "<line>"});
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

    // Half the page wide at most, each line centred on the middle of the 8.5-inch page.
    Metrics m;
    QStringList lines;
    for (const Op &op : page.ops) {
        if (op.kind != Op::Text || !op.text.startsWith("word"))
            continue;
        lines.append(op.text);
        QVERIFY(m.width(op.text, 10, false) <= 6120);
        QCOMPARE(op.x + m.width(op.text, 10, false) / 2, 6120.0);
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
    newRow("a word wider than the box is broken inside it", longWord, QString(), longWord, 3);
    newRow("the word before a long one keeps its own line", "Signed: " + longWord, "Signed:", "Signed:" + longWord, 3);
    newRow("blanks at the start are kept", "   Gate agent", "   Gate agent", "   Gate agent", 1);
    newRow("a blank-only text is printed as it is", "  ", "  ", "  ", 1);
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

// The lists' versions in 7 point at the bottom left of the (last) page, empty ones left out, below everything the
// printout draws; nothing at all when no list was read.
void TestPrintouts::listVersionsAtTheBottom()
{
    const QStringList identities{"Veyra_No_Fly_1.csv  SHA-256 0f71a86597c7", "",
                                 "Veyra_Cleared_1.csv  SHA-256 9b2c44e01d5a"};
    RecordingSurface log;
    log.fixedMetrics = true;
    QVERIFY(SearchLogPrintout::print(log, {"ACME", "7/4/25", "", "", "", "", identities}));
    // Two lines of 175 twips ending 60 twips above the page's end (15840), the 400-twip shift included.
    verifyAt(log.ops, identities[0], 200, 15430);
    verifyAt(log.ops, identities[2], 200, 15605);
    QCOMPARE(find(log.ops, identities[0])->font.size, 7.0);
    QCOMPARE(log.ops.last().kind, Op::EndDoc);

    QTemporaryDir dir;
    writeFile(dir.filePath("Footer1.txt"), "One\r\n");
    writeFile(dir.filePath("Footer2.txt"), "Two\r\n");
    ManifestPrintout::Inputs in = manifest(49, dir.path());
    in.listIdentities = {identities[0]};
    RecordingSurface manifestPage;
    manifestPage.fixedMetrics = true;
    QVERIFY(ManifestPrintout::print(manifestPage, in));
    const QStringList printed = texts(manifestPage.ops);
    // On the second page, after its last line.
    QVERIFY(printed.indexOf(identities[0]) > printed.indexOf("Page 2 of 2"));
    QCOMPARE(printed[printed.size() - 2], identities[0]);
    verifyAt(manifestPage.ops, identities[0], 200, 15605);

    RecordingSurface none;
    QVERIFY(SearchLogPrintout::print(none, {"ACME", "7/4/25", "", "", "", "", {"", ""}}));
    QCOMPARE(none.ops[none.ops.size() - 2].text, "Date");
}

void TestPrintouts::manifestStaysOnThePageInAWiderFont_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("footerWords");
    newRow("the round measures", 1.0, 3);
    newRow("a font a sixth taller and wider", 7.0 / 6, 3);
    newRow("a font a quarter taller, footers of several lines", 1.25, 24);
}

// Whatever the font's measures: every text stays in its column, and the closing rule and the verifiers stay on the
// page, above the list versions' lines.
void TestPrintouts::manifestStaysOnThePageInAWiderFont()
{
    QFETCH(double, scale);
    QFETCH(int, footerWords);
    QTemporaryDir dir;
    writeFile(dir.filePath("Footer1.txt"), QByteArray("certify ").repeated(footerWords) + "\r\n");
    writeFile(dir.filePath("Footer2.txt"), QByteArray("signed ").repeated(footerWords) + "\r\n");
    ManifestPrintout::Inputs in = manifest(3, dir.path());
    in.rows[1][1] = "MARIA DE LOS ANGELES GUADALUPE FERNANDEZ DE CORDOBA Y ALVAREZ DE TOLEDO";
    in.rows[2][6] = "SELECTEE - SEE SUPERVISOR BEFORE BOARDING";
    in.listIdentities = {"Veyra_No_Fly_1.csv  SHA-256 0f71a86597c7", "Veyra_Selectee_1.csv  SHA-256 9b2c44e01d5a"};
    RecordingSurface page;
    page.fixedMetrics = true;
    page.metricScale = scale;
    QVERIFY(ManifestPrintout::print(page, in));
    QCOMPARE(texts(page.ops).count("<end>"), 1);

    // Columns start at 0, 400, 4200, 5000, 6000, 8300 and 10000 (headings) and 0, 400, 4300, 5000, 6000, 8600
    // and 9900 (cells); each text ends before the next column starts, the last before the page's edge.
    const QList<double> headings{0, 400, 4200, 5000, 6000, 8300, 10000, 12240};
    const QList<double> cells{0, 400, 4300, 5000, 6000, 8600, 9900, 12240};
    double versionsTop = 15840;
    double lowest = 0;
    for (const Op &op : page.ops) {
        if (op.kind == Op::Line)
            lowest = std::max(lowest, op.y);
        if (op.kind != Op::Text || op.text.isEmpty())
            continue;
        if (op.text.contains("  SHA-256 ")) {
            versionsTop = std::min(versionsTop, op.y);
            continue;
        }
        const QList<double> &starts = qAbs(op.y - 1450) < 0.01 ? headings : cells;
        const qsizetype column = starts.indexOf(op.x);
        if (op.y < 5000 && column >= 0) {
            const double width = double(op.text.size()) * op.font.size * 10 * scale;
            QVERIFY2(op.x + width <= starts[column + 1],
                     qPrintable(QStringLiteral("%1 runs to %2").arg(op.text).arg(op.x + width)));
        }
        lowest = std::max(lowest, op.y + op.font.size * 25 * scale);
    }
    QVERIFY2(lowest <= versionsTop, qPrintable(QStringLiteral("%1 below %2").arg(lowest).arg(versionsTop)));
    QVERIFY(versionsTop < 15840);
    // Cut short, a name says so.
    QVERIFY(find(page.ops, "MARIA DE LOS ANGELES GUADALUPE FERNANDEZ DE CORDOBA Y ALVAREZ DE TOLEDO") == nullptr);
}

VEYRA_TEST(TestPrintouts)
#include "TestPrintouts.moc"
