#include "print/ManifestPrintout.h"

#include "platform/files/DataFolder.h"
#include "platform/files/RecordFile.h"
#include "print/PrintSteps.h"
#include "shared/TextEncoding.h"

#include <QFile>

#include <algorithm>

namespace {

struct Column
{
    const char *heading;
    double headingX;
    double cellX;
};
constexpr Column Columns[] = {{"#", 0, 0},
                              {"Full Name", 400, 400},
                              {"Sex", 4200, 4300},
                              {"Passport/", 5000, 5000},
                              {"Visa/ARC Info", 6000, 6000},
                              {"Date of Birth", 8300, 8600},
                              {"Status", 10000, 9900}};

constexpr double ColumnGap = 60;
constexpr double SmallestSize = 7;

// The room a column has up to the next one (or the page's right edge).
double room(const PrintSurface &page, int column, double Column::*x)
{
    const double next = column + 1 < int(std::size(Columns)) ? Columns[column + 1].*x : page.pageWidth();
    return next - Columns[column].*x - ColumnGap;
}

// Prints a text within a column's room, where a wider font would run it into the next column: a smaller size
// first, and, for a text still too wide at the smallest, its end cut off, marked by an ellipsis.
void printFitted(PrintSurface &page, const QString &text, double room, bool endLine)
{
    const PrintFont font = page.font();
    PrintFont fitted = font;
    while (page.textWidth(text) > room && fitted.size > SmallestSize) {
        fitted.size = std::max(SmallestSize, fitted.size - 0.5);
        page.setFont(fitted);
    }
    QString shown = text;
    if (page.textWidth(shown) > room) {
        const QString ellipsis(QChar(0x2026));
        while (!shown.isEmpty() && page.textWidth(shown + ellipsis) > room)
            shown.chop(1);
        shown += ellipsis;
    }
    page.print(shown, endLine);
    page.setFont(font);
}

// A footer's lines, read before the block is placed; a footer that cannot be read ends the printout where it
// would be printed, after what comes before it.
struct Footer
{
    QStringList lines{QString()};
    QString failure;
};

Footer footerLines(const PrintSurface &page, const QString &path)
{
    try {
        return {page.wrap(ManifestPrintout::footerText(path), page.pageWidth() * 0.5), {}};
    } catch (const PrintFailure &e) {
        return {{QString()}, QString::fromUtf8(e.what())};
    }
}

void printFooter(PrintSurface &page, const Footer &footer)
{
    if (!footer.failure.isEmpty())
        throw PrintFailure(footer.failure.toStdString());
    const double w = page.pageWidth();
    for (const QString &line : footer.lines) {
        page.currentX = w * 0.5 - page.textWidth(line) / 2;
        page.print(line, true);
    }
}

// Where the footer block must end: above the list versions' small lines, or above the page's end.
double blockLimit(PrintSurface &page, const QStringList &identities)
{
    QStringList shown = identities;
    shown.removeAll(QString());
    const PrintFont font = page.font();
    page.setFont({QStringLiteral("Tahoma"), 7, false, false});
    const double versions = shown.isEmpty() ? 0 : 60 + double(shown.size()) * page.lineHeight();
    page.setFont(font);
    return page.pageHeight() - PrintSurface::OriginShift - versions - 20;
}

void printVerifier(PrintSurface &page, const QString &verifier, const QString &listLabel, const QString &listName,
                   const QString &date)
{
    const double w = page.pageWidth();
    page.currentX = 200;
    page.print(verifier, false);
    page.currentX = w * 0.5;
    page.print(listLabel, false);
    page.currentX = w * 0.8;
    page.print(QStringLiteral("Date"), true);
    page.print(QString(), true);
    page.currentX = w * 0.4;
    page.print(listName, false);
    page.currentX = w * 0.78;
    page.print(date, true);
}

} // namespace

QString ManifestPrintout::footerText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PrintFailure("the footer file cannot be read");
    const QString text = TextEncoding::decodeFile(file.readAll());
    // An empty first line is an empty text; a file without any value ends the printout.
    if (text.startsWith(u'\n') || text.startsWith(u'\r'))
        return QString();
    const QStringList values = RecordFile::parse(text);
    if (values.isEmpty())
        throw PrintFailure("the footer file holds no text");
    return values.first();
}

bool ManifestPrintout::print(PrintSurface &page, const Inputs &in)
{
    return PrintSteps::run(page, [&] {
        const double w = page.pageWidth();
        const double h = page.pageHeight();
        page.setFont({QStringLiteral("Tahoma"), 14, true, false});
        page.currentX = 0;
        page.currentY = 0;
        PrintSteps::centred(page, in.companyName);
        PrintSteps::centred(page, QStringLiteral("Manifest #: ") + in.manifestNumber);
        page.print(QString(), true);

        page.setFont({QStringLiteral("Tahoma"), 10, true, false});
        for (int c = 0; c < int(std::size(Columns)); ++c) {
            page.currentX = Columns[c].headingX;
            printFitted(page, QString::fromLatin1(Columns[c].heading), room(page, c, &Column::headingX), c == 6);
        }
        page.setFont({QStringLiteral("Tahoma"), 10, false, false});
        // As many rows as are filled, from the top, whatever each holds.
        const auto filled = std::count_if(in.rows.begin(), in.rows.end(),
                                          [](const QStringList &row) { return !row.value(1).isEmpty(); });
        for (qsizetype r = 0; r < filled; ++r) {
            for (int c = 0; c < 7; ++c) {
                page.currentX = Columns[c].cellX;
                printFitted(page, in.rows[r].value(c), room(page, c, &Column::cellX), false);
            }
            page.print(QString(), true);
        }

        const Footer footer1 = footerLines(page, DataFolder::filePath(in.footerFolder, "Footer1.txt"));
        const Footer footer2 = footerLines(page, DataFolder::filePath(in.footerFolder, "Footer2.txt"));
        // The block's height in this font: its fixed gaps, the footers' lines and the verifiers' six lines. Where
        // a taller font would run it past the page, or into the list versions, it starts that much higher.
        const double block = 2200 + page.lineHeight() * double(footer1.lines.size() + footer2.lines.size() + 6);
        const double start = std::min(h - FooterSpace, blockLimit(page, in.listIdentities) - block);

        page.currentY += 500;
        // Compared as the printer's single-precision positions are.
        if (static_cast<float>(page.currentY) > static_cast<float>(start)) {
            page.print(QStringLiteral("Continued on next page"), true);
            page.endDoc();
            page.print(QStringLiteral("Page 2 of 2"), true);
        } else {
            page.currentY = start;
        }
        page.line(200, page.currentY, w, page.currentY);
        page.currentY += 500;
        printFooter(page, footer1);
        page.currentY += 500;
        printFooter(page, footer2);
        page.currentY += 500;
        page.line(200, page.currentY, w, page.currentY);
        page.setTextAlign(PrintSurface::TextAlign::LeftTop);

        const QString date = in.today.toString(QStringLiteral("MM-dd-yyyy"));
        printVerifier(page, QStringLiteral("Veyra No-Fly List Verifier"), QStringLiteral("No-Fly-List #"),
                      in.noFlyListName, date);
        page.currentY += 200;
        page.line(200, page.currentY, w, page.currentY);
        printVerifier(page, QStringLiteral("Passenger ID Verifier"), QStringLiteral("Veyra Selectee #"),
                      in.selecteeListName, date);
        page.currentY += 500;
        page.line(200, page.currentY, w, page.currentY);
        PrintSteps::listIdentities(page, in.listIdentities);
    });
}
