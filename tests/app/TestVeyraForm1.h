#pragma once

#include <QObject>

class TestVeyraForm1 : public QObject {
    Q_OBJECT

private slots:
    void windowAndMenus();
    void firstStartRemembersTheDataFolder();
    void startUpFolders_data();
    void startUpFolders();
    void shortFolderFileFallsBack();
    void folderChangeEndsTheActiveList();
    void unreadableFolderKeepsTheLists();
    void unreadableDriveKeepsTheLists();
    void deleteFileRemovesTheActiveList();
    void deleteFileWithoutAListDoesNothing();
    void shutDownGivesTheListItsName();
    void unwritableFolderFileIsReported();
};
