#pragma once

#include <QHash>
#include <QString>

class DriveList;
class FileList;
class FolderList;
class QWidget;

// The drive, folder and file lists of a window, moving together: the file list and the drive list follow the
// folder list, and a drive change takes the folder list to that drive. A drive or folder that cannot be read
// leaves the lists where they were and says so in a box over the window.
class FolderNavigator
{
public:
    // rememberFolders: a drive change returns to the folder the list last showed on that drive, rather than to
    // the drive's top.
    FolderNavigator(QWidget &window, DriveList *drives, FolderList *folders, FileList *files, bool rememberFolders);

    // After the folder list has moved (the window's folder-change handler): the file list lists the new folder,
    // the drive list shows its drive.
    void followFolder();
    // The window's drive-change handler: false (and a message) when the drive cannot be read.
    bool changeDrive(const QString &drive);

private:
    QWidget &m_window;
    DriveList *m_drives;
    FolderList *m_folders;
    FileList *m_files;
    bool m_rememberFolders;
    QHash<QString, QString> m_driveFolders; // where the folder list stood last on each drive
};
