#include "manifest/ManifestMessage.h"

#include <algorithm>

namespace {

QString escaped(const QString &value)
{
    return value.toHtmlEscaped();
}

} // namespace

QString ManifestMessage::build(const Inputs &in)
{
    // As many rows as are filled, taken from the top: a manifest that was saved or imported has no gaps.
    const auto filled =
        std::count_if(in.rows.begin(), in.rows.end(), [](const QStringList &row) { return !row.value(1).isEmpty(); });

    QString body;
    body += QLatin1String("<HTML><HEAD>");
    body += QLatin1String("</HEAD>");
    body += QLatin1String("<BODY>");
    body += QLatin1String("<TABLE border=0 cellSpacing=20 cellPadding=10 >");
    body += QLatin1String("<TBODY>");
    body += QLatin1String("<TR>");
    body += QLatin1String("<TH><TH align=center colspan=6>") + escaped(in.companyName) + QLatin1String("</TH>");
    body += QLatin1String("<TR>");
    body += QLatin1String("<TH><TH align=Center colspan=6>Manifest #: ") + escaped(in.manifestNumber) +
            QLatin1String("</TH>");
    body += QLatin1String("<TR>");
    body += QLatin1String("<TH align=left>#</TH>");
    for (const char *header : {"Fullname", "Sex", "Passport Info", "Visa/ARC", "Date of Birth", "Veyra Status"})
        body += QLatin1String("<TH align=Left>") + QLatin1String(header) + QLatin1String("</TH>");
    body += QLatin1String("<TR>");
    for (qsizetype r = 0; r < filled; ++r) {
        const QStringList &row = in.rows[r];
        body += QLatin1String("<TH align=left>") + escaped(row.value(0)) + QLatin1String("</TH>");
        for (int c = 1; c <= 5; ++c)
            body += QLatin1String("<TH align=Left>") + escaped(row.value(c)) + QLatin1String("</TH>");
        body += QLatin1String("<TH align=Left style=Width:200>") + escaped(row.value(6)) + QLatin1String("</TH>");
        body += QLatin1String("<TR>");
    }
    body += QLatin1String("<TH align=left  colspan=2>No-Fly List #</TH>");
    body += QLatin1String("<TH align=Left colspan=4>") + escaped(in.noFlyListName) + QLatin1String("</TH>");
    body += QLatin1String("<TH align=left  colspan=2>Selectee List #</TH>");
    body += QLatin1String("<TH align=Left colspan=4>") + escaped(in.selecteeListName) + QLatin1String("</TH>");
    body += QLatin1String("</TBody>");
    body += QLatin1String("</Table>");
    body += QLatin1String("</BODY>");
    body += QLatin1String("</HTML>");
    return body;
}
