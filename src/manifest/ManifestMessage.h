#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The manifest as the HTML document that is mailed. Every input goes in as it is: the operators' mail readers
// have always been given the texts unescaped, and the document has no line breaks.
class ManifestMessage
{
public:
    struct Inputs
    {
        QString companyName;
        QString manifestNumber;
        // Grid rows 1 to 49, each with the seven cells of columns 0 to 6.
        QList<QStringList> rows;
        QString noFlyListName;
        QString selecteeListName;
    };

    static QString build(const Inputs &inputs);
};
