#include "platform/widgets/FolderNavigator.h"

#include "platform/widgets/DriveList.h"
#include "platform/widgets/FileList.h"
#include "platform/widgets/FolderList.h"
#include "platform/widgets/MessageBox.h"

FolderNavigator::FolderNavigator(QWidget &window, DriveList *drives, FolderList *folders, FileList *files,
                                 bool rememberFolders)
    : m_window(window)
    , m_drives(drives)
    , m_folders(folders)
    , m_files(files)
    , m_rememberFolders(rememberFolders)
{
    QObject::connect(m_folders, &FolderList::pathRejected, &m_window,
                     [this](const QString &, const QString &reason) { MessageBox::show(&m_window, reason); });
}

void FolderNavigator::followFolder()
{
    const QString folder = m_folders->path();
    m_files->setPath(folder);
    m_drives->showDriveOf(folder);
    m_driveFolders.insert(m_drives->drive(), folder);
}

bool FolderNavigator::changeDrive(const QString &drive)
{
    const QString previousFolder = m_folders->path();
    const QString target = m_rememberFolders ? m_driveFolders.value(drive, drive) : drive;
    QString error;
    const bool moved =
        m_folders->changePath(target, &error) || (target != drive && m_folders->changePath(drive, &error));
    if (moved)
        return true;
    m_drives->showDriveOf(previousFolder);
    MessageBox::show(&m_window, QStringLiteral("The drive %1 cannot be read.\n%2").arg(drive, error));
    return false;
}
