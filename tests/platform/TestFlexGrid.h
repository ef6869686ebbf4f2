#pragma once

#include <QObject>

class TestFlexGrid : public QObject {
    Q_OBJECT

private slots:
    void fixedRowIsTheHeader_data();
    void fixedRowIsTheHeader();
    void widthsAreKeptInTwips();
    void clearEmptiesTextsAndColours();
};
