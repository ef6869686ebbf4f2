#pragma once

#include <QObject>

class TestWatchListSelection : public QObject {
    Q_OBJECT

private slots:
    void selectingBGivesABackItsName();
    void clickingTheActiveListAgainKeepsItActive();
    void strayWorkingFileIsReplaced();
    void listKindNames_data();
    void listKindNames();
    void workingNameEntryOnlyEndsTheActiveList();
    void vanishedFileIsRefusedWithAMessage();
    void headerHasElevenMeasuredColumns();
};
