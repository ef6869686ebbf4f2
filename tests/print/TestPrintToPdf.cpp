#include "RunningApp.h"
#include "TestSupport.h"
#include "manifest/VeyraManifest.h"
#include "platform/printing/PaintedSurface.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/TextBox.h"
#include "print/ManifestPrintout.h"
#include "print/SearchLogPrintout.h"
#include "support/RecordingSurface.h"

#include <QDir>
#include <QPrinter>
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
    void printerDrawsOnItsPrintableArea();
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
    const QString html = QString::fromUtf8(TestSupport::run("pdftotext", {"-bbox", pdf, "-"}).out);
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
    RunningApp app;
    app.module.printOptions().systemPrinter = false;
    app.module.CompanyName = "ACME Air";
    app.window().showStatus("Search succesful", Qt::blue);
    app.find<QAction>("printlog")->trigger();

    const QStringList pdfs = QDir(app.data()).entryList({"SearchLog-*.pdf"});
    QCOMPARE(pdfs.size(), 1);
    QVERIFY(QRegularExpression(R"(^SearchLog-\d{8}-\d{6}\.pdf$)").match(pdfs[0]).hasMatch());
    // The notice has a line of its own; the search's summary stays.
    auto *notice = app.find<Label>("PrintNotice");
    QVERIFY(notice->isVisible());
    QCOMPARE(notice->text(), "No printer is installed: the printout was saved as " + app.data(pdfs[0]));
    QCOMPARE(app.find<Label>("Label3")->text(), "Search succesful");
    const QList<Word> words = pdfWords(app.data(pdfs[0]));
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
    // Told in the manifest window, which covers the main window.
    auto *notice = manifest.findChild<Label *>("PrintNotice");
    QVERIFY(notice && notice->isVisible());
    QVERIFY(notice->geometry().top() > manifest.findChild<QWidget *>("Frame1")->geometry().bottom());
    QCOMPARE(notice->text(), "No printer is installed: the printout was saved as " + data.filePath(pdfs[0]));
    QCOMPARE(app.find<Label>("Label3")->text(), "");
    const QList<Word> words = pdfWords(data.filePath(pdfs[0]));
    QVERIFY(!words.isEmpty());

    const QPageSize pageSize = PaintedSurface::defaultPageSize();
    const QSizeF twips = pageSize.size(QPageSize::Point) * 20;
    RecordingSurface recorder(twips.width(), twips.height());
    QVERIFY(ManifestPrintout::print(recorder, {"ACME Air",
                                               "123",
                                               manifest.personRows(),
                                               "Veyra_No_Fly_1205.csv",
                                               "",
                                               data.path(),
                                               QDate::currentDate(),
                                               {app.module.NoFlyListIdentity, app.module.SelecteeListIdentity}}));

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

// A printer that cannot reach the outer half inch of a Letter sheet: W and H are those of the printable area, and
// x = 0, y = 0 is its top left corner on the paper.
void TestPrintToPdf::printerDrawsOnItsPrintableArea()
{
    QTemporaryDir out;
    const QString path = out.filePath("printer.pdf");
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    printer->setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(36, 36, 36, 36),
                                       QPageLayout::Point, QMarginsF(36, 36, 36, 36)));
    std::unique_ptr<PaintedSurface> surface = PaintedSurface::forPrinter(std::move(printer));
    QCOMPARE(surface->pageWidth(), 10800.0);  // (612 - 72) pt
    QCOMPARE(surface->pageHeight(), 14400.0); // (792 - 72) pt
    QVERIFY(SearchLogPrintout::print(*surface, {"ACME", "12/6/2026", "", "", "", "", {}}));
    QVERIFY(surface->finish());
    surface.reset();

    const QList<Word> words = pdfWords(path);
    auto at = [&](const QString &text) {
        auto word = std::find_if(words.begin(), words.end(), [&](const Word &w) { return w.text == text; });
        return word == words.end() ? QPointF(-1, -1) : QPointF(word->x, word->y);
    };
    // "Approved By" at x 400 twips (20 pt), "Date" at W x 0.8 (432 pt), both past the 36 pt margin.
    QVERIFY2(qAbs(at("Approved").x() - 56) < 1.5, qPrintable(QString::number(at("Approved").x())));
    QVERIFY2(qAbs(at("Date").x() - 468) < 1.5, qPrintable(QString::number(at("Date").x())));
    // The company name's top at y 400 and the 400-twip origin shift: 40 pt below the margin.
    QVERIFY2(qAbs(at("ACME").y() - 76) < 3, qPrintable(QString::number(at("ACME").y())));
}

VEYRA_TEST(TestPrintToPdf)
#include "TestPrintToPdf.moc"
