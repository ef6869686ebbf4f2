#pragma once

#include <QObject>

class TestVeyraSettings : public QObject {
    Q_OBJECT

private slots:
    void missingFileLeavesFieldsEmptyAndPortZero();
    void savedSettingsComeBackAfterRestart();
    void refusedSaveLeavesFileAndWindow_data();
    void refusedSaveLeavesFileAndWindow();
    void passwordIsShownAsTyped();
    void centredOverTheMainWindowWhenActivated();
    void pressOnTheMainWindowBringsSettingsToFront();
};
