#include "search/NameQuery.h"

#include "engine/DateParser.h"
#include "engine/TextTableConnection.h"
#include "search/WatchListFile.h"

#include <QDir>

NameQuery NameQuery::build(const Row &row, bool clearedList, bool dateRuleApplies, bool gridMode)
{
    NameQuery query;
    query.written = row;
    QString lastClause, firstClause, middleClause, passportClause, dateClause;

    const bool lastFilled = gridMode ? row.lastName > QStringLiteral(" ") : !row.lastName.isEmpty();
    if (lastFilled) {
        query.written.lastName = row.lastName.toUpper();
        lastClause = QStringLiteral("LASTNAME='%1'").arg(query.written.lastName);
    }

    if (!row.firstAndMiddleName.isEmpty()) {
        const QString text = row.firstAndMiddleName.toUpper();
        query.written.firstAndMiddleName = text;
        // Only the first space splits, and only after a first name of two letters or more.
        const qsizetype space = text.indexOf(u' ') + 1;
        const bool split = space > 2;
        const QString first = split ? text.left(space - 1) : text;
        const QString middle = split ? text.mid(space) : QString();
        if (clearedList) {
            firstClause = QStringLiteral("FIRSTNAME = '%1'").arg(first);
            middleClause = QStringLiteral("MIDDLENAME = '%1'").arg(middle);
        } else {
            firstClause = QStringLiteral("FIRSTNAME LIKE '%1%'").arg(first);
            if (split)
                middleClause = QStringLiteral("MIDDLENAME LIKE '%1%'").arg(middle);
        }
    }

    if (!row.passport.isEmpty()) {
        query.written.passport = row.passport.toUpper();
        passportClause = QStringLiteral("[PASSPORT/IDNUMBER]='%1'").arg(query.written.passport);
    }

    if (DateParser::isValidDate(row.dateOfBirth)) {
        dateClause = QStringLiteral("DOB=#%1#").arg(row.dateOfBirth); // as typed
    } else if (clearedList && dateRuleApplies) {
        query.outcome = Refused;
        query.refusal = QString::fromLatin1(MustEnterDob);
        return query;
    }

    if (lastClause.isEmpty() && firstClause.isEmpty() && middleClause.isEmpty() && passportClause.isEmpty() &&
        dateClause.isEmpty())
        return query;
    if (lastClause.isEmpty()) {
        query.outcome = Refused;
        query.refusal = QString::fromLatin1(NeedLastName);
        return query;
    }
    query.outcome = Statement;
    query.statement =
        QStringLiteral("SELECT * FROM %1 WHERE %2").arg(QLatin1String(WatchListFile::WorkingName), lastClause);
    for (const QString *clause : {&firstClause, &middleClause, &passportClause, &dateClause}) {
        if (!clause->isEmpty())
            query.statement += QStringLiteral(" AND ") + *clause;
    }
    return query;
}

UnstatedValues NameQuery::unstatedValues(bool clearedList)
{
    if (clearedList)
        return {};
    return {UnstatedValues::Open,
            {QStringLiteral("DOB"), QStringLiteral("PASSPORT/IDNUMBER"), QStringLiteral("FIRSTNAME"),
             QStringLiteral("MIDDLENAME")}};
}

QString NameQuery::connectionText(const QString &folder)
{
    return TextTableConnection::connectionText(folder, true);
}
