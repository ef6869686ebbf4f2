#include "app/VeyraForm1.h"

#include "app/FolderConfig.h"
#include "app/MainWindowHost.h"
#include "audit/FileHistory.h"
#include "engine/TableCache.h"
#include "engine/TextTableConnection.h"
#include "engine/TextTableError.h"
#include "platform/files/DataFolder.h"
#include "platform/files/SpreadsheetReader.h"
#include "platform/widgets/BusyWait.h"
#include "platform/widgets/DriveList.h"
#include "platform/widgets/FileList.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/FolderList.h"
#include "platform/widgets/FolderNavigator.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/MessageBox.h"
#include "platform/widgets/Named.h"
#include "platform/widgets/TextBox.h"
#include "platform/widgets/Twips.h"
#include "platform/widgets/WindowFront.h"
#include "search/ImportedNamesSearch.h"
#include "search/ListIdentity.h"
#include "search/NearMissIndex.h"
#include "search/NearMissIndexes.h"
#include "search/RowMarks.h"
#include "search/WatchListSelection.h"
#include "shared/RgbColor.h"
#include "shared/VeyraVariables.h"

#include <QCloseEvent>
#include <QDate>
#include <QFileInfo>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>

void VeyraForm1::Form_Load()
{
    // Each failing step falls back to the data folder, and start-up goes on with the step after it.
    if (!loadRememberedFolders())
        fallBackToDataFolder();
    // The manifest window exists, hidden, from start-up on, even when the step that points its list failed.
    m_host.loadManifestWindow();
    createHeader();
    show();
    m_lastNames[0]->setFocus();
    if (!m_host.loadCompanyInfo())
        fallBackToDataFolder();
}

bool VeyraForm1::loadRememberedFolders()
{
    if (!QFileInfo::exists(FolderConfig::path(m_vars.DataFolder))) {
        if (!m_folderList->changePath(m_vars.DataFolder))
            return false;
        return m_host.setManifestFolder(m_vars.DataFolder);
    }
    // All three values are read before the folder list moves: its change handler rewrites the file at once.
    const QStringList values = FolderConfig::read(m_vars.DataFolder);
    QString *folders[] = {&m_vars.MainFolder, &m_vars.ManifestFolder, &m_vars.SpreadsheetFolder};
    for (qsizetype i = 0; i < 3; ++i) {
        if (i >= values.size())
            return false;
        *folders[i] = values[i];
    }
    if (!m_folderList->changePath(m_vars.MainFolder))
        return false;
    return m_host.setManifestFolder(m_vars.ManifestFolder);
}

void VeyraForm1::fallBackToDataFolder()
{
    m_folderList->changePath(m_vars.DataFolder);
    m_vars.MainFolder = m_vars.DataFolder;
    m_vars.ManifestFolder = m_vars.DataFolder;
}

void VeyraForm1::Dir1_Change()
{
    const QString folder = m_folderList->path();
    m_navigator->followFolder();
    m_searchButton->setEnabled(false);
    createHeader();
    forgetActiveList();
    m_vars.MainFolder = folder;
    saveFolderConfig();
}

void VeyraForm1::Drive1_Change(const QString &drive)
{
    if (!m_navigator->changeDrive(drive))
        return;
    m_searchButton->setEnabled(false);
    createHeader();
    forgetActiveList();
}

void VeyraForm1::File1_Click(const QString &fileName)
{
    createHeader();
    QString error;
    if (!m_host.watchList().select(m_folderList->path(), fileName, &error)) {
        m_fileList->refresh();
        MessageBox::show(this, QStringLiteral("The list %1 cannot be opened.\n%2").arg(fileName, error));
        return;
    }
    m_searchButton->setEnabled(true);
    // Read now: the operator learns at once of a list that cannot be read whole, and the first search finds
    // it parsed. Search stays enabled and, on such a list, ends as an incomplete search.
    m_listIdentity->setText(QString());
    m_selectedListSha256.clear();
    if (m_vars.SelectedListPath.isEmpty())
        return;
    struct Opened
    {
        ListIdentity identity;
        std::optional<TextTableError> error;
    };
    // A large list takes seconds: read off the window's thread, which says what it is doing and can cancel.
    // Given up, the work runs on touching only what it owns and what the program keeps until it ends.
    auto opened = std::make_shared<Opened>();
    const QString path = m_vars.SelectedListPath;
    TableCache &cache = m_host.tableCache();
    NearMissIndexes &indexes = *m_nearMissIndexes;
    std::atomic<bool> cancelled = false;
    const BusyWait::Ended ended = BusyWait::run(
        [opened, path, fileName, &cache, &indexes] {
            try {
                const auto table = cache.table(path, true, fileName);
                opened->identity = ListIdentity::of(*table, fileName, QFileInfo(path).lastModified());
                // Indexed for the near-miss advisory while the list is being opened, not at the first search.
                indexes.of(table);
            } catch (const TextTableError &e) {
                opened->error = e;
            }
        },
        *m_busyLine, QStringLiteral("Reading %1\u2026").arg(fileName), &cancelled);
    if (ended == BusyWait::Ended::Cancelled) {
        forgetActiveList();
        m_searchButton->setEnabled(false);
        m_fileList->clearSelection();
        m_fileList->setCurrentItem(nullptr);
        showStatus(QStringLiteral("Opening %1 was cancelled; no list is selected.").arg(fileName),
                   toColor(RowColors::Black));
        return;
    }
    if (opened->error) {
        MessageBox::show(this,
                         QStringLiteral("The list %1 cannot be read.\n%2").arg(fileName, opened->error->message()));
        return;
    }
    m_host.watchList().recordIdentity(opened->identity);
    m_listIdentity->setText(opened->identity.line());
    m_selectedListSha256 = opened->identity.sha256;
}

void VeyraForm1::Command4_Click()
{
    QString error;
    if (!m_host.watchList().deleteActiveList(&error))
        MessageBox::show(this, error);
    m_listIdentity->setText(QString());
    m_selectedListSha256.clear();
    m_fileList->refresh();
}

void VeyraForm1::ManifestOpen_Click()
{
    WindowFront::show(m_host.manifestWindowWidget());
}

void VeyraForm1::Settings_Click()
{
    WindowFront::show(m_host.settingsWindowWidget());
}

void VeyraForm1::Form_MouseDown()
{
    QWidget *settings = m_host.existingSettingsWindowWidget();
    if (settings && settings->isVisible()) {
        settings->raise();
        settings->activateWindow();
    }
}

void VeyraForm1::mousePressEvent(QMouseEvent *event)
{
    QMainWindow::mousePressEvent(event);
    Form_MouseDown();
}

void VeyraForm1::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void VeyraForm1::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    forgetActiveList();
    m_host.unloadOtherWindows();
}

void VeyraForm1::forgetActiveList()
{
    m_listIdentity->setText(QString());
    m_selectedListSha256.clear();
    m_host.watchList().forget();
}

void VeyraForm1::saveFolderConfig()
{
    m_host.saveFolderConfig();
}

void VeyraForm1::saveNameList(NameListFile::Kind kind, int n)
{
    showNameRows();
    QList<NameQuery::Row> rows;
    for (int i = 0; i < NameRowCount; ++i)
        rows.append(
            {m_lastNames[i]->text(), m_firstNames[i]->text(), m_datesOfBirth[i]->text(), m_passports[i]->text()});
    const QString name = NameListFile::fileName(kind, n);
    const QString path = DataFolder::filePath(m_vars.ManifestFolder, name);
    // Another copy of the program may have saved this slot since this window read or saved it: theirs is not
    // overwritten unasked.
    const KnownVersion known = m_nameListVersions.value(path);
    if (known.changedOnDisk()) {
        const QString question = KnownVersion::saveOverQuestion(name, known.changedAt(), QDate::currentDate());
        if (!MessageBox::askYesNo(this, question))
            return;
    }
    QString error;
    if (!NameListFile::write(path, rows, FileHistory(m_vars.DataFolder), &error)) {
        MessageBox::show(
            this, QStringLiteral("The names could not be saved as %1.\n%2\nThe list is as it was.").arg(name, error));
        return;
    }
    m_nameListVersions.insert(path, KnownVersion::of(path));
}

void VeyraForm1::importNameList(NameListFile::Kind kind, int n)
{
    showNameRows();
    for (int i = 0; i < NameRowCount; ++i) {
        for (TextBox *box : rowBoxes(i)) {
            box->setText(QString());
            box->setForeColor(toColor(RowColors::Black));
            box->setBackColor(toColor(RowColors::White));
        }
    }
    const QString name = NameListFile::fileName(kind, n);
    m_vars.CurrentNameFile = name;
    const QString path = DataFolder::filePath(m_vars.ManifestFolder, name);
    const QList<NameQuery::Row> rows = NameListFile::read(path);
    m_nameListVersions.insert(path, KnownVersion::of(path));
    for (int i = 0; i < rows.size(); ++i) {
        m_lastNames[i]->setText(rows[i].lastName);
        m_firstNames[i]->setText(rows[i].firstAndMiddleName);
        m_datesOfBirth[i]->setText(rows[i].dateOfBirth);
        m_passports[i]->setText(rows[i].passport);
    }
}

void VeyraForm1::FromExcel_Click()
{
    clearNearMisses();
    for (int i = 0; i < NameRowCount; ++i)
        for (TextBox *box : rowBoxes(i))
            box->setText(QString());
    m_importedNamesGrid->clear();
    m_importedNamesGrid->setFixedRows(0);
    m_importedNamesGrid->setRows(SpreadsheetReader::MaxRows + 1);
    m_importedNamesGrid->setCols(4);
    m_importedNamesGrid->setColumnHeadings({QStringLiteral("Last Name"), QStringLiteral("First & Middle Name"),
                                            QStringLiteral("Date of Birth"), QStringLiteral("Passport")});
    const int widths[] = {3500, 3500, 1750, 2500};
    for (int c = 0; c < 4; ++c)
        m_importedNamesGrid->setColWidth(c, widths[c]);
    m_importedNamesGrid->show();
    m_importedNamesGrid->raise();
    m_keepCheckedButton->setText(QStringLiteral("Remove Cleared"));
    m_progressBar->show();
    m_progressBar->setValue(1);
    repaint();
    WindowFront::show(m_host.excelImportWindowWidget());
}

void VeyraForm1::hideImportedNames()
{
    clearNearMisses();
    m_importedNamesGrid->hide();
}

void VeyraForm1::fillImportedNames(const QList<QStringList> &rows, const QString &sheet)
{
    // New names: the last search's summary, results and removal belong to the names that were there.
    createHeader();
    m_keepCheckedButton->setEnabled(false);
    m_importedNamesGrid->setClip(0, 0, rows);
    m_importedNamesGrid->setCurrentCell(0, 1);
    m_importedNamesGrid->setTopRow(0);
    QString status = QStringLiteral("%1 %2 imported")
                         .arg(QLocale(QLocale::English).toString(rows.size()), rows.size() == 1 ? "name" : "names");
    if (!sheet.isEmpty())
        status += QStringLiteral(" from the sheet \"%1\"").arg(sheet);
    showStatus(status, toColor(RowColors::Black));
}

void VeyraForm1::reportUnreadableSpreadsheet(const QString &fileName, const QString &reason)
{
    // An empty grid must not pass for a list without names. A reason that names the file stands alone.
    showStatus(reason.startsWith(fileName + u' ') ? reason
                                                  : QStringLiteral("%1 could not be read: %2").arg(fileName, reason),
               toColor(RowColors::Red));
}

void VeyraForm1::reportSpreadsheetNotice(const QString &fileName, const QString &notice)
{
    showStatus(QStringLiteral("%1: %2").arg(fileName, notice), toColor(RowColors::Red));
}

void VeyraForm1::showStatus(const QString &text, const QColor &color)
{
    m_statusLine->setForeColor(color);
    m_statusLine->setText(text);
}

void VeyraForm1::showPrintNotice(const QString &text, const QColor &color)
{
    m_printNotice->setForeColor(color);
    m_printNotice->setText(text);
    // Painted at once: the printing that follows holds the window's thread.
    m_printNotice->repaint();
}

void VeyraForm1::Command3_Click()
{
    if (QWidget *browser = m_host.browserWindowWidget())
        WindowFront::show(*browser);
}

void VeyraForm1::refreshFileList()
{
    m_fileList->refresh();
}

void VeyraForm1::printlog_Click()
{
    m_host.PrintSearchLog();
}
