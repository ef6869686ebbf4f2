#pragma once

#include <QObject>

class TestRecordFile : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void formatQuotesTextAndLeavesNumbersBare();
    void writeThenReadGivesTheValuesBack();
    void missingFileIsReportedNotEmpty();
    void failedWriteLeavesTheOldFile();
    void ownerOnlyFilesAreNotReadableByOthers();
    void decodesUtf8AndWindows1252();
};
