#pragma once

#include "platform/widgets/FolderNavigator.h"

#include <QWidget>

#include <memory>

class BusyLine;
class DriveList;
class FileList;
class FolderList;
class QPushButton;
class ExcelImportHost;
struct VeyraVariables;

// The spreadsheet import window: pick an .xls file; "Open" copies its A1:D1000 into the main window's
// imported-names grid and unloads the window.
class VeyraExcelImport : public QWidget
{
    Q_OBJECT

public:
    static constexpr auto Instructions = "1) File must be in XLS, XLSX, XLSM, ODS or CSV format. 2) First four "
                                         "columns must be lastname, firstname, DOB and Passport Info. 3) Remove "
                                         "any header rows. 4) Up to 1000 names";

    explicit VeyraExcelImport(ExcelImportHost &host);

    void Form_Load();
    void Form_Activate();
    void Drive1_Change(const QString &drive);
    void Dir1_Change();
    void File1_Click(const QString &fileName);
    void Command1_Click(int index);

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // False when the operator cancelled the read.
    bool open();

    ExcelImportHost &m_host;
    VeyraVariables &m_vars;
    QString m_selectedFile;
    std::unique_ptr<FolderNavigator> m_navigator;
    DriveList *m_driveList = nullptr;      // Drive1
    FolderList *m_folderList = nullptr;    // Dir1
    FileList *m_fileList = nullptr;        // File1
    QPushButton *m_cancelButton = nullptr; // Command1_0
    QPushButton *m_openButton = nullptr;   // Command1_1
    BusyLine *m_busyLine = nullptr;
};
