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

void printFooter(PrintSurface &page, const QString &path)
{
    const double w = page.pageWidth();
    for (const QString &line : page.wrap(ManifestPrintout::footerText(path), w * 0.5)) {
        page.currentX = w * 0.5 - page.textWidth(line) / 2;
        page.print(line, true);
    }
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
        for (const Column &column : Columns) {
            page.currentX = column.headingX;
            page.print(QString::fromLatin1(column.heading), &column == &Columns[6]);
        }
        page.setFont({QStringLiteral("Tahoma"), 10, false, false});
        // As many rows as are filled, from the top, whatever each holds.
        const auto filled = std::count_if(in.rows.begin(), in.rows.end(),
                                          [](const QStringList &row) { return !row.value(1).isEmpty(); });
        for (qsizetype r = 0; r < filled; ++r) {
            for (int c = 0; c < 7; ++c) {
                page.currentX = Columns[c].cellX;
                page.print(in.rows[r].value(c), false);
            }
            page.print(QString(), true);
        }

        page.currentY += 500;
        // Compared as the printer's single-precision positions are.
        if (static_cast<float>(page.currentY) > static_cast<float>(h - FooterSpace)) {
            page.print(QStringLiteral("Continued on next page"), true);
            page.endDoc();
            page.print(QStringLiteral("Page 2 of 2"), true);
        } else {
            page.currentY = h - FooterSpace;
        }
        page.line(200, page.currentY, w, page.currentY);
        page.currentY += 500;
        printFooter(page, DataFolder::filePath(in.footerFolder, QStringLiteral("Footer1.txt")));
        page.currentY += 500;
        printFooter(page, DataFolder::filePath(in.footerFolder, QStringLiteral("Footer2.txt")));
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
