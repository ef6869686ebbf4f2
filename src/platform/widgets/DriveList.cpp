#include "platform/widgets/DriveList.h"

#include <QDir>
#include <QStorageInfo>

namespace {

QStringList machineDrives()
{
    QStringList drives;
    for (const QFileInfo &root : QDir::drives())
        drives.append(QDir::toNativeSeparators(root.absoluteFilePath()));
#ifndef Q_OS_WIN
    // Removable media appear as mounted volumes under these folders.
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (root.startsWith(QLatin1String("/media/")) || root.startsWith(QLatin1String("/mnt/")) ||
            root.startsWith(QLatin1String("/run/media/")))
            drives.append(root);
    }
#endif
    drives.removeDuplicates();
    return drives;
}

} // namespace

DriveList::DriveList(QWidget *parent)
    : QComboBox(parent)
{
    refresh();
    connect(this, &QComboBox::activated, this, [this](int index) { emit driveChanged(itemText(index)); });
}

void DriveList::refresh()
{
    const QString current = currentText();
    const QSignalBlocker blocker(this);
    clear();
    addItems(machineDrives());
    if (!current.isEmpty())
        showDrive(current);
}

QString DriveList::driveOf(const QString &folder, const QStringList &drives)
{
    QString best;
    for (const QString &drive : drives) {
        const bool onDrive = folder.startsWith(drive, Qt::CaseInsensitive) &&
                             (folder.size() == drive.size() || drive.endsWith(QDir::separator()) ||
                              folder.at(drive.size()) == QDir::separator());
        if (onDrive && drive.size() > best.size())
            best = drive;
    }
    return best;
}

void DriveList::showDriveOf(const QString &folder)
{
    QStringList drives;
    for (int i = 0; i < count(); ++i)
        drives.append(itemText(i));
    showDrive(driveOf(folder, drives));
}

void DriveList::showDrive(const QString &drive)
{
    const QSignalBlocker blocker(this);
    const int index = findText(drive);
    if (index >= 0)
        setCurrentIndex(index);
}
