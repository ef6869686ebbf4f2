#pragma once

#include <QObject>

class TestCompanyInfoFile : public QObject {
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void writtenFileIsOneLineOfFiftyValues();
    void writeThenReadGivesTheSameSettings();
    void emailAddress_data();
    void emailAddress();
    void refusal_data();
    void refusal();
};
