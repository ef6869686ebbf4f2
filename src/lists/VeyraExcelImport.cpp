#include "lists/VeyraExcelImport.h"

#include "lists/ExcelImportHost.h"
#include "platform/files/DataFolder.h"
#include "platform/files/SpreadsheetReader.h"
#include "platform/widgets/BusyWait.h"
#include "platform/widgets/DriveList.h"
#include "platform/widgets/FileList.h"
#include "platform/widgets/FolderList.h"
#include "platform/widgets/KeyboardReach.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/ScrollSurface.h"
#include "platform/widgets/Twips.h"
#include "shared/VeyraVariables.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPushButton>

VeyraExcelImport::VeyraExcelImport(ExcelImportHost &host)
    : QWidget(nullptr, Qt::Window)
    , m_host(host)
    , m_vars(host.variables())
{
    setObjectName(QStringLiteral("VeyraExcelImport"));
    setWindowTitle(QStringLiteral("Import Excel File"));

    auto *label = new Label(QString::fromLatin1(Instructions), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setWordWrap(true);
    Twips::place(label, 120, 120, 6960, 720);
    m_driveList = new DriveList(this);
    m_driveList->setObjectName(QStringLiteral("Drive1"));
    Twips::place(m_driveList, 120, 960, 3360, 330);
    m_folderList = new FolderList(this);
    m_folderList->setObjectName(QStringLiteral("Dir1"));
    Twips::place(m_folderList, 120, 1380, 3360, 2700);
    m_fileList = new FileList(this);
    m_fileList->setObjectName(QStringLiteral("File1"));
    m_fileList->setPattern(QString::fromLatin1(SpreadsheetReader::Patterns));
    // Watch lists and the working names are CSV files too, but never names to screen.
    m_fileList->setExcluded({QStringLiteral("Veyra_*.csv"), QStringLiteral("Veyra.csv"), QStringLiteral("Manifest.csv"),
                             QStringLiteral("Manifest-*.csv")});
    Twips::place(m_fileList, 3720, 960, 3360, 3120);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("Command1_0"));
    Twips::place(m_cancelButton, 3720, 4260, 1560, 420);
    m_openButton = new QPushButton(QStringLiteral("Open"), this);
    m_openButton->setObjectName(QStringLiteral("Command1_1"));
    Twips::place(m_openButton, 5520, 4260, 1560, 420);
    m_openButton->setEnabled(false);
    m_busyLine = new BusyLine(this);
    m_busyLine->setAutoFillBackground(true);
    // Over the buttons while a file is read: they take no clicks then, and the line has its own Cancel.
    Twips::place(m_busyLine, 120, 4260, 6960, 420);
    const QSize size = Twips::toPixels(QSize(7320, 4920), *this);
    WindowFit::fitToScreen(*this, size, size);
    KeyboardReach::enterClicks(*this, *m_openButton);
    KeyboardReach::escapeCloses(*this);

    connect(m_folderList, &FolderList::pathChanged, this, &VeyraExcelImport::Dir1_Change);
    m_navigator = std::make_unique<FolderNavigator>(*this, m_driveList, m_folderList, m_fileList, false);
    connect(m_driveList, &DriveList::driveChanged, this, &VeyraExcelImport::Drive1_Change);
    connect(m_fileList, &FileList::fileClicked, this, &VeyraExcelImport::File1_Click);
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { Command1_Click(0); });
    connect(m_openButton, &QPushButton::clicked, this, [this] { Command1_Click(1); });
    Form_Load();
}

void VeyraExcelImport::Form_Load()
{
    const QString remembered = m_vars.SpreadsheetFolder;
    // A remembered folder that is gone is no reason to refuse the import: start in the data folder.
    if (remembered.isEmpty() || !m_folderList->changePath(remembered))
        m_folderList->changePath(m_vars.DataFolder);
    m_fileList->refresh();
}

void VeyraExcelImport::Form_Activate()
{
    m_fileList->refresh();
}

bool VeyraExcelImport::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QWidget::event(event);
}

void VeyraExcelImport::closeEvent(QCloseEvent *event)
{
    // Closing the window is "Cancel".
    event->accept();
    Command1_Click(0);
}

void VeyraExcelImport::Drive1_Change(const QString &drive)
{
    if (!m_navigator->changeDrive(drive))
        return;
    m_openButton->setEnabled(false);
}

void VeyraExcelImport::Dir1_Change()
{
    m_navigator->followFolder();
    m_vars.SpreadsheetFolder = m_folderList->path();
    m_host.saveFolderConfig();
    // A file chosen in the folder left behind is not in this one: "Open" waits for a click here.
    m_selectedFile.clear();
    m_openButton->setEnabled(false);
}

// The five formats the reader takes are opened; anything else the patterns list (".xlsb" through "*.xls") is not.
void VeyraExcelImport::File1_Click(const QString &fileName)
{
    if (!SpreadsheetReader::isReadable(fileName)) {
        m_openButton->setEnabled(false);
        return;
    }
    m_openButton->setEnabled(true);
    m_selectedFile = fileName;
    m_vars.CurrentNameFile = fileName;
}

void VeyraExcelImport::Command1_Click(int index)
{
    if (index == 1) {
        // Cancelled, the window stays for another file.
        if (!open())
            return;
    } else {
        m_host.hideImportedNames();
    }
    hide();
    m_host.unloadExcelImportWindow();
}

bool VeyraExcelImport::open()
{
    m_openButton->setEnabled(false);
    if (m_vars.SpreadsheetFolder.isEmpty())
        m_vars.SpreadsheetFolder = m_vars.DataFolder;
    const QString path = DataFolder::filePath(m_vars.SpreadsheetFolder, m_selectedFile);

    // The window keeps painting and says what it reads; Cancel ends the reader at once.
    auto read = std::make_shared<SpreadsheetReader::Result>();
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    const SpreadsheetReader::Read reader = m_host.spreadsheetReader();
    const BusyWait::Ended ended =
        BusyWait::run([read, cancelled, reader, path] { *read = reader(path, cancelled.get()); }, *m_busyLine,
                      QStringLiteral("Reading %1\u2026").arg(m_selectedFile), cancelled.get());
    if (ended == BusyWait::Ended::Cancelled) {
        m_openButton->setEnabled(true);
        return false;
    }

    if (read->ok) {
        m_host.fillImportedNames(read->rows, read->sheet);
        if (!read->notice.isEmpty())
            m_host.reportSpreadsheetNotice(read->sheet.isEmpty()
                                               ? m_selectedFile
                                               : QStringLiteral("%1, sheet \"%2\"").arg(m_selectedFile, read->sheet),
                                           read->notice);
    } else
        m_host.reportUnreadableSpreadsheet(m_selectedFile, read->error);
    return true;
}
