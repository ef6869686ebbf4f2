#pragma once

#include <QComboBox>

// The machine's drives: drive letters on Windows; the root and mounted media elsewhere.
class DriveList : public QComboBox
{
    Q_OBJECT

public:
    explicit DriveList(QWidget *parent = nullptr);

    QString drive() const { return currentText(); }
    // Shows the drive that holds folder, without reporting a change.
    void showDriveOf(const QString &folder);
    // Shows drive without reporting a change (used to undo an operator's choice that failed).
    void showDrive(const QString &drive);
    void refresh();

    static QString driveOf(const QString &folder, const QStringList &drives);

signals:
    // The operator chose another drive.
    void driveChanged(const QString &drive);
};
