#include "search/WatchListFile.h"

namespace WatchListFile {

bool isNoFly(const QString &path)
{
    return path.contains(u"No_Fly", Qt::CaseSensitive);
}
bool isSelectee(const QString &path)
{
    return path.contains(u"Selectee", Qt::CaseSensitive);
}
bool isCleared(const QString &path)
{
    return path.contains(u"Cleared", Qt::CaseSensitive);
}

const QList<HeaderColumn> &resultHeader()
{
    static const QList<HeaderColumn> columns = {
        {QStringLiteral("SID"), 0},
        {QStringLiteral("CLEARED"), 0},
        {QStringLiteral("LASTNAME"), 2500},
        {QStringLiteral("FIRSTNAME"), 2500},
        {QStringLiteral("MIDDLENAME"), 0},
        {QStringLiteral("TYPE"), 0},
        {QStringLiteral("DOB"), 1000},
        {QStringLiteral("POB"), 2000},
        {QStringLiteral("CITIZENSHIP"), 2000},
        {QStringLiteral("PASSPORT / IDNUMBER"), 0},
        {QStringLiteral("MISC"), 1000},
    };
    return columns;
}

} // namespace WatchListFile
