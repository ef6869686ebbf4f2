#include "ListGenerator.h"

#include <QFile>

namespace {

// Names made of syllables, so no real person is named.
QString syllableName(std::mt19937_64 &rng, int syllables)
{
    static const char *parts[] = {"AL",  "BER", "CAS", "DOR", "EN",  "FAL",  "GOR", "HAM", "IL",  "JOR", "KEL",
                                  "LAN", "MOR", "NEL", "OS",  "PER", "QUIN", "RAS", "SEL", "TOR", "UL",  "VAN",
                                  "WEL", "XAN", "YOR", "ZEL", "BRI", "CHA",  "DRA", "FEN", "GLA", "STO"};
    QString name;
    for (int i = 0; i < syllables; ++i)
        name += QLatin1String(parts[rng() % std::size(parts)]);
    return name;
}

QString usDate(const QDate &d)
{
    return QStringLiteral("%1/%2/%3").arg(d.month()).arg(d.day()).arg(d.year());
}

} // namespace

QString isoDate(const QDate &d)
{
    return d.toString(Qt::ISODate);
}

Generated generate(const QString &listPath, const QString &sqlitePath, int rows, std::mt19937_64 &rng)
{
    std::vector<QString> surnames(100000), firstNames(3000);
    for (auto &s : surnames)
        s = syllableName(rng, 2 + int(rng() % 2));
    for (auto &s : firstNames)
        s = syllableName(rng, 1 + int(rng() % 2));
    // Skewed like real surnames: the most common one is about 1 % of the list.
    std::vector<double> weights(surnames.size());
    for (size_t r = 0; r < weights.size(); ++r)
        weights[r] = 1.0 / double(r + 10);
    std::discrete_distribution<size_t> surnameOf(weights.begin(), weights.end());
    std::uniform_int_distribution<int> percent(0, 99);

    QFile engineFile(listPath), sqliteFile(sqlitePath);
    engineFile.open(QIODevice::WriteOnly);
    const bool forSqlite = !sqlitePath.isEmpty() && sqliteFile.open(QIODevice::WriteOnly);
    const QByteArray header =
        "SID,CLEARED,LASTNAME,FIRSTNAME,MIDDLENAME,TYPE,DOB,POB,CITIZENSHIP,PASSPORT/IDNUMBER,MISC";
    engineFile.write(header + "\r\n");
    if (forSqlite)
        sqliteFile.write(header + ",DOBISO\n");
    Generated result;
    QByteArray line, sqliteLine;
    for (int i = 0; i < rows; ++i) {
        Person p;
        p.last = surnames[surnameOf(rng)];
        p.first = firstNames[rng() % firstNames.size()];
        if (percent(rng) >= 40)
            p.middle = firstNames[rng() % firstNames.size()];
        if (percent(rng) >= 10) {
            p.dob = QDate(1930, 1, 1).addDays(qint64(rng() % 27000));
            p.dobTyped = percent(rng) < 50 ? usDate(p.dob) : isoDate(p.dob);
        }
        if (percent(rng) >= 30)
            p.passport = QStringLiteral("P%1").arg(rng() % 100000000, 8, 10, QChar('0'));
        const QString misc = QStringLiteral("\"alias %1, ref %2\"").arg(syllableName(rng, 2)).arg(rng() % 100000);
        line = QStringLiteral("%1,%2,%3,%4,%5,PERSON,%6,%7,%8,%9,%10")
                   .arg(i + 1)
                   .arg(percent(rng) < 3 ? "YES" : "")
                   .arg(p.last, p.first, p.middle, p.dobTyped, syllableName(rng, 2), syllableName(rng, 1), p.passport,
                        misc)
                   .toLatin1();
        engineFile.write(line + "\r\n");
        if (forSqlite)
            sqliteFile.write(line + "," + (p.dob.isValid() ? isoDate(p.dob).toLatin1() : QByteArray()) + "\n");
        result.bytes += line.size() + 2;
        if (rng() % 997 == 0 || result.sample.size() < 10)
            result.sample.push_back(p);
    }
    return result;
}
