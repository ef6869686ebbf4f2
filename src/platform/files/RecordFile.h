#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <variant>

// A value of a record file: text is written between double quotes, a number bare.
using RecordValue = std::variant<QString, qint64>;
using Record = QList<RecordValue>;

// The small record files (remembered folders, company information, name lists, footers) in the comma-separated
// form the program has always used. Reading yields the file's values in order; line ends only separate values.
class RecordFile
{
public:
    struct Contents
    {
        bool opened = false;
        QString error;
        QStringList values;
    };

    static Contents read(const QString &path);
    static QStringList parse(QStringView text);

    static QByteArray format(const QList<Record> &records);
    // Replaces the file whole, or leaves it as it was when anything fails.
    static bool write(const QString &path, const QList<Record> &records, QString *error, bool ownerOnly = false);
};
