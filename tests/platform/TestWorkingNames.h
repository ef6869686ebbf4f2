#pragma once

#include <QObject>

class TestWorkingNames : public QObject {
    Q_OBJECT

private slots:
    void takeAndGiveBackLeaveNoJournal();
    void recover_data();
    void recover();
    void giveBackNeverOverwritesAnotherFile();
    void takingAMissingFileRecordsNothing();
};
