#include "print/SearchLogPrintout.h"

#include "print/PrintSteps.h"

bool SearchLogPrintout::print(PrintSurface &page, const Inputs &in)
{
    return PrintSteps::run(page, [&] {
        const double w = page.pageWidth();
        page.setFont({QStringLiteral("Tahoma"), 14, true, false});
        page.currentY = 400;
        PrintSteps::centred(page, in.companyName);
        page.print(QString(), true);
        PrintSteps::centred(page, QStringLiteral("Date: ") + in.date);
        PrintSteps::centred(page, QStringLiteral("Name File: ") + in.currentNameFile);
        page.print(QString(), true);

        page.setFont({QStringLiteral("Tahoma"), 10, true, false});
        page.line(200, page.currentY, w, page.currentY);
        page.print(QString(), true);
        const QString lists[][2] = {{QStringLiteral("No-Fly-List #: "), in.noFlyListName},
                                    {QStringLiteral("Selectee List #: "), in.selecteeListName},
                                    {QStringLiteral("Cleared List #: "), in.clearedListName}};
        for (const auto &list : lists) {
            page.currentX = w * 0.2;
            page.print(list[0] + list[1], true);
        }
        page.print(QString(), true);
        page.line(200, page.currentY, w, page.currentY);

        page.currentY += 800;
        page.currentX = 400;
        page.print(QStringLiteral("Approved By"), false);
        page.currentY += 1000;
        // The captions stand under the signature line: its y is the top of their text.
        page.line(200, page.currentY, w, page.currentY);
        page.currentX = 400;
        page.print(QStringLiteral("Veyra No-Fly Verifier"), false);
        page.currentX = w * 0.8;
        page.print(QStringLiteral("Date"), true);
        PrintSteps::listIdentities(page, in.listIdentities);
    });
}
