#include "RunningApp.h"
#include "TestSupport.h"
#include "manifest/VeyraManifest.h"
#include "platform/FlexGrid.h"
#include "platform/Label.h"
#include "platform/PaintedSurface.h"
#include "platform/RecordingSurface.h"
#include "platform/TextBox.h"
#include "print/ManifestPrintout.h"

#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

using TestSupport::readFile;
using TestSupport::writeFile;

// Without a printer the printouts become PDF files in the data folder; the words stand on the PDF's pages
// where the recording surface says they are drawn.
class TestPrintToPdf : public QObject
{
    Q_OBJECT

private slots:
    void searchLogBecomesAPdf();
    void manifestPdfMatchesTheRecorder();
};

namespace {

struct Word
{
    int page;
    double x, y; // points from the page's top left
    QString text;
};

QList<Word> pdfWords(const QString &pdf)
{
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-bbox", pdf, "-"});
    pdftotext.waitForFinished(30000);
    const QString html = QString::fromUtf8(pdftotext.readAllStandardOutput());
    static const QRegularExpression pattern(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>)re");
    QList<Word> words;
    int page = -1;
    for (auto it = pattern.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith("<page"))
            ++page;
        else
            words.append({page, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3)});
    }
    return words;
}

} // namespace

void TestPrintToPdf::searchLogBecomesAPdf()
{
    QTemporaryDir data;
    RunningApp app(data.path());
    app.module.printOptions().systemPrinter = false;
    app.module.CompanyName = "ACME Air";
    app.find<QAction>("printlog")->trigger();

    const QStringList pdfs = QDir(data.path()).entryList({"SearchLog-*.pdf"});
    QCOMPARE(pdfs.size(), 1);
    QVERIFY(QRegularExpression(R"(^SearchLog-\d{8}-\d{6}\.pdf$)").match(pdfs[0]).hasMatch());
    QVERIFY(app.find<Label>("Label3")->text().contains(pdfs[0]));
    const QList<Word> words = pdfWords(data.filePath(pdfs[0]));
    QVERIFY(std::any_of(words.begin(), words.end(), [](const Word &w) { return w.text == "Approved"; }));
}

void TestPrintToPdf::manifestPdfMatchesTheRecorder()
{
    QTemporaryDir data;
    writeFile(data.filePath("Footer1.txt"), "\"We declare that the persons named above were screened.\"\r\n");
    writeFile(data.filePath("Footer2.txt"), "Gate agent\r\n");
    RunningApp app(data.path());
    app.module.printOptions().systemPrinter = false;
    app.module.CompanyName = "ACME Air";
    app.module.NoFlyListName = "Veyra_No_Fly_1205.csv";

    VeyraManifest &manifest = app.module.manifestWindow();
    manifest.Form_Activate();
    manifest.findChild<TextBox *>("Text1")->setText("123");
    auto *grid = manifest.findChild<FlexGrid *>("MSFlexGrid1");
    for (int r = 1; r <= 49; ++r)
        grid->setTextMatrix(r, 1, QStringLiteral("Traveller%1 Smith").arg(r));
    QTest::mouseClick(manifest.findChild<QPushButton *>("Command3"), Qt::LeftButton);

    const QStringList pdfs = QDir(data.path()).entryList({"ManifestPrint-123-*.pdf"});
    QCOMPARE(pdfs.size(), 1);
    const QList<Word> words = pdfWords(data.filePath(pdfs[0]));
    QVERIFY(!words.isEmpty());

    const QPageSize pageSize = PaintedSurface::defaultPageSize();
    const QSizeF twips = pageSize.size(QPageSize::Point) * 20;
    RecordingSurface recorder(twips.width(), twips.height());
    QVERIFY(ManifestPrintout::print(recorder, {"ACME Air", "123", manifest.personRows(), "Veyra_No_Fly_1205.csv", "",
                                               data.path(), QDate::currentDate()}));

    // Each recorded text's first word, on the page the recorder put it, at the recorder's place.
    int page = 0;
    int checked = 0;
    for (const RecordingSurface::Op &op : recorder.ops) {
        if (op.kind == RecordingSurface::Op::EndDoc)
            ++page;
        if (op.kind != RecordingSurface::Op::Text)
            continue;
        const QString first = op.text.section(' ', 0, 0);
        if (!QStringList{"ACME", "Traveller49", "Continued", "Page", "We", "Gate", "Veyra_No_Fly_1205.csv"}.contains(
                first))
            continue;
        auto word =
            std::find_if(words.begin(), words.end(), [&](const Word &w) { return w.page == page && w.text == first; });
        QVERIFY2(word != words.end(), qPrintable(QStringLiteral("%1 not on page %2").arg(first).arg(page + 1)));
        QVERIFY2(qAbs(word->x - op.x / 20) < 1.5 && qAbs(word->y - op.y / 20) < 3,
                 qPrintable(QStringLiteral("%1 at %2,%3 pt, recorded %4,%5")
                                .arg(first)
                                .arg(word->x)
                                .arg(word->y)
                                .arg(op.x / 20)
                                .arg(op.y / 20)));
        ++checked;
    }
    QCOMPARE(checked, 7);
    QCOMPARE(page, 2);
}

VEYRA_TEST(TestPrintToPdf)
#include "TestPrintToPdf.moc"
