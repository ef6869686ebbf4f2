#pragma once

#include <QObject>

class TestCrashRecovery : public QObject {
    Q_OBJECT

private slots:
    void killedWhileAListIsActive();
};
