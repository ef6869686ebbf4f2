#include "search/ListIdentity.h"

#include "engine/TextTable.h"

#include <QLocale>

ListIdentity ListIdentity::of(const TextTable &table, const QString &fileName, const QDateTime &modified)
{
    return {fileName, qint64(table.rowCount()), modified, QString::fromLatin1(table.sha256())};
}

QString ListIdentity::line() const
{
    if (isEmpty())
        return QString();
    return QStringLiteral("%1   %2 %3   %4   SHA-256 %5")
        .arg(file)
        .arg(QLocale(QLocale::English).toString(records)) // 1,000,001: the operators read counts grouped
        .arg(records == 1 ? QStringLiteral("record") : QStringLiteral("records"))
        .arg(modified.toString(QStringLiteral("yyyy-MM-dd HH:mm")), hashPrefix());
}

QString ListIdentity::printed() const
{
    return isEmpty() ? QString() : QStringLiteral("%1  SHA-256 %2").arg(file, hashPrefix());
}
