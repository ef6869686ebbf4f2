#pragma once

#include <QDateTime>
#include <QString>

class TextTable;

// Which version of a watch list a search used: its file name, how many records it holds, the file's date and the
// SHA-256 of its bytes.
struct ListIdentity
{
    QString file;
    qint64 records = 0;
    QDateTime modified;
    QString sha256; // lower-case hex

    static constexpr int HashShown = 12;

    static ListIdentity of(const TextTable &table, const QString &fileName, const QDateTime &modified);

    bool isEmpty() const { return file.isEmpty(); }
    QString hashPrefix() const { return sha256.left(HashShown); }
    // "Veyra_No_Fly_1205.csv   3 records   2026-12-05 14:02   SHA-256 0f71a86597c7", the line the main window
    // shows under its lists.
    QString line() const;
    // "Veyra_No_Fly_1205.csv  SHA-256 0f71a86597c7", as the printouts name a list.
    QString printed() const;
};
