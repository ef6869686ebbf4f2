#include "app/VeyraModule1.h"

#include "app/FolderConfig.h"
#include "app/VeyraForm1.h"
#include "browser/BrowserHost.h"
#include "browser/BrowserStart.h"
#include "browser/VeyraBrowser.h"
#include "lists/VeyraExcelImport.h"
#include "manifest/VeyraManifest.h"
#include "platform/files/DataFolder.h"
#include "platform/files/ProgramFiles.h"
#include "platform/files/SavedFile.h"
#include "platform/printing/PaintedSurface.h"
#include "platform/widgets/BusyWait.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/MessageBox.h"
#include "print/ManifestPrintout.h"
#include "print/SearchLogPrintout.h"
#include "search/NameQuery.h"
#include "search/RowMarks.h"
#include "settings/VeyraSettings.h"
#include "shared/RgbColor.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QLocale>

#include <cstdio>

namespace {
QString cleanFolder(const QString &folder)
{
    return QDir::toNativeSeparators(QDir::cleanPath(QDir(folder).absolutePath()));
}
} // namespace

VeyraModule1::VeyraModule1(const QString &dataFolder)
    : browserStartAddress(QString::fromLatin1(VeyraBrowser::PortalAddress))
    , m_watchList(*this)
{
    DataFolder = cleanFolder(dataFolder);
    m_tableCache.setKeyColumns({QString::fromLatin1(NameQuery::KeyColumn)});
}

WorkingNames::Recovery VeyraModule1::recoverWorkingNames()
{
    if (!QFileInfo::exists(DataFolder::filePath(DataFolder, QString::fromLatin1(WorkingNames::JournalName))))
        return {}; // the usual start: nothing was left under a working name, and no folder file is read
    // With no remembered folders yet, the data folder is both the main and the manifest folder.
    QStringList folders{DataFolder};
    if (QFileInfo::exists(FolderConfig::path(DataFolder)))
        folders = FolderConfig::read(DataFolder).mid(0, 2);
    const WorkingNames::Recovery recovery = WorkingNames(DataFolder).recover(folders);
    for (const QString &line : recovery.skipped)
        std::fprintf(stderr, "%s\n", qPrintable(line));
    return recovery;
}

QStringList VeyraModule1::removeLeftoverSaves()
{
    QStringList folders{DataFolder};
    if (QFileInfo::exists(FolderConfig::path(DataFolder)))
        folders += FolderConfig::read(DataFolder).mid(0, 2);
    QStringList removed;
    QStringList seen;
    for (const QString &folder : folders) {
        const QString identity = DataFolder::folderIdentity(folder);
        if (folder.isEmpty() || seen.contains(identity))
            continue;
        seen.append(identity);
        removed += SavedFile::removeLeftovers(folder);
    }
    return removed;
}

VeyraModule1::~VeyraModule1()
{
    // A list given up while it was being opened is still read into the cache the windows hold.
    BusyWait::finishAbandoned();
    // The secondary windows read the main window while they live (focus changes, activation): they go first.
    delete m_unloadedManifest.data();
    delete m_unloadedExcelImport.data();
    delete m_unloadedBrowser.data();
    m_browser.reset();
    m_excelImport.reset();
    m_manifest.reset();
    m_settings.reset();
    m_mainWindow.reset();
}

VeyraForm1 &VeyraModule1::mainWindow()
{
    if (!m_mainWindow)
        m_mainWindow = std::make_unique<VeyraForm1>(*this);
    return *m_mainWindow;
}

VeyraSettings &VeyraModule1::settingsWindow()
{
    if (!m_settings)
        m_settings = std::make_unique<VeyraSettings>(*this);
    return *m_settings;
}

VeyraManifest &VeyraModule1::manifestWindow()
{
    if (!m_manifest)
        m_manifest = std::make_unique<VeyraManifest>(*this);
    return *m_manifest;
}

namespace {
// A window unloads itself from its own handlers: it is hidden now and goes once they have returned.
template <typename Window> void unloadLater(std::unique_ptr<Window> &window, QPointer<Window> &unloaded)
{
    if (!window)
        return;
    window->hide();
    unloaded = window.release();
    unloaded->deleteLater();
}
} // namespace

void VeyraModule1::unloadManifestWindow()
{
    if (m_manifest)
        m_manifest->Form_Unload();
    unloadLater(m_manifest, m_unloadedManifest);
}

VeyraExcelImport &VeyraModule1::excelImportWindow()
{
    if (!m_excelImport)
        m_excelImport = std::make_unique<VeyraExcelImport>(*this);
    return *m_excelImport;
}

void VeyraModule1::unloadExcelImportWindow()
{
    unloadLater(m_excelImport, m_unloadedExcelImport);
}

SpreadsheetReader::Read VeyraModule1::spreadsheetReader() const
{
    if (m_spreadsheetReader)
        return m_spreadsheetReader;
    return [](const QString &file, const std::atomic<bool> *cancelled) {
        return SpreadsheetReader::read(file, SpreadsheetReader::MaxRows, cancelled);
    };
}

namespace {
class ModuleBrowserHost : public BrowserHost
{
public:
    explicit ModuleBrowserHost(VeyraModule1 &module)
        : m_module(module)
    {}
    QRect mainWindowGeometry() const override { return m_module.mainWindow().geometry(); }
    QString downloadFolder() const override { return m_module.MainFolder; }
    QString dataFolder() const override { return m_module.DataFolder; }
    void browserUnloaded() override { m_module.mainWindow().refreshFileList(); }
    void browserClosed() override { m_module.unloadBrowserWindow(); }

private:
    VeyraModule1 &m_module;
};
} // namespace

QMainWindow *VeyraModule1::browserWindow()
{
    if (m_browser)
        return m_browser.get();
    const BrowserStart::Plan plan = BrowserStart::planHere();
    if (!plan.canStart) {
        MessageBox::show(&mainWindow(), plan.refusal);
        return nullptr;
    }
    const QString path = browserLibrary.isEmpty() ? ProgramFiles::browserLibrary() : browserLibrary;
    QLibrary library(path);
    const auto create = reinterpret_cast<CreateBrowserFunction>(library.resolve(CreateBrowserSymbol));
    if (!create) {
        MessageBox::show(&mainWindow(),
                         QStringLiteral("The browser cannot be started.\n%1\nReinstall VeyraCheck, or download the "
                                        "lists with another browser into the list folder. Everything else works as "
                                        "before.")
                             .arg(library.errorString()));
        return nullptr;
    }
    if (plan.withoutSandbox) {
        BrowserStart::switchSandboxOff();
        mainWindow().showPrintNotice(plan.notice, QColor(0, 0, 0));
    }
    if (!m_browserHost)
        m_browserHost = std::make_unique<ModuleBrowserHost>(*this);
    m_browser.reset(create(m_browserHost.get(), &browserStartAddress));
    return m_browser.get();
}

void VeyraModule1::unloadBrowserWindow()
{
    unloadLater(m_browser, m_unloadedBrowser);
}

void VeyraModule1::unloadOtherWindows()
{
    m_browser.reset();
    m_excelImport.reset();
    if (m_manifest) {
        m_manifest->Form_Unload();
        m_manifest.reset();
    }
    m_settings.reset();
}

QWidget &VeyraModule1::mainWindowWidget()
{
    return mainWindow();
}

QList<ManifestScreening::SearchedRow> VeyraModule1::searchedRows() const
{
    QList<ManifestScreening::SearchedRow> rows;
    if (m_mainWindow) {
        for (int k = 0; k < VeyraForm1::NameRowCount; ++k)
            rows.append(m_mainWindow->searchedRow(k));
    }
    return rows;
}

QString VeyraModule1::settingsEmailAddress()
{
    return settingsWindow().emailAddress();
}

void VeyraModule1::hideImportedNames()
{
    mainWindow().hideImportedNames();
}

void VeyraModule1::fillImportedNames(const QList<QStringList> &rows, const QString &sheet)
{
    mainWindow().fillImportedNames(rows, sheet);
}

void VeyraModule1::reportUnreadableSpreadsheet(const QString &fileName, const QString &reason)
{
    mainWindow().reportUnreadableSpreadsheet(fileName, reason);
}

void VeyraModule1::reportSpreadsheetNotice(const QString &fileName, const QString &notice)
{
    mainWindow().reportSpreadsheetNotice(fileName, notice);
}

bool VeyraModule1::setManifestFolder(const QString &folder)
{
    return manifestWindow().setFolder(folder);
}

bool VeyraModule1::loadCompanyInfo()
{
    return settingsWindow().loadCompanyInfo();
}

QWidget &VeyraModule1::manifestWindowWidget()
{
    return manifestWindow();
}

QWidget &VeyraModule1::settingsWindowWidget()
{
    return settingsWindow();
}

QWidget *VeyraModule1::existingSettingsWindowWidget()
{
    return m_settings.get();
}

QWidget &VeyraModule1::excelImportWindowWidget()
{
    return excelImportWindow();
}

QWidget *VeyraModule1::browserWindowWidget()
{
    return browserWindow();
}

void VeyraModule1::SaveFolderConfig()
{
    QString error;
    if (FolderConfig::save(*this, &error) || m_folderConfigFailureShown)
        return;
    m_folderConfigFailureShown = true;
    MessageBox::show(&mainWindow(),
                     QStringLiteral("The folders could not be remembered for the next start.\n%1").arg(error));
}

namespace {
constexpr auto DefaultMailServer = "localhost";
constexpr auto DefaultMailAccount = "veyracheck@localhost";
constexpr auto DefaultMailPassword = "changeme";
constexpr qint16 DefaultMailPort = 465;
} // namespace

void VeyraModule1::SendMail(QString &server, QString &userName, QString &password, qint16 &port, QString &from,
                            QString &to, QString &bcc, QString &subject, QString &body)
{
    if (server.isEmpty())
        server = QString::fromLatin1(DefaultMailServer);
    if (userName.isEmpty())
        userName = QString::fromLatin1(DefaultMailAccount);
    if (password.isEmpty())
        password = QString::fromLatin1(DefaultMailPassword);
    if (port == 0)
        port = DefaultMailPort;

    const MailTransport::Message message{server, port, userName, password, from, to, bcc, subject, body};
    const MailTransport::Options options = m_mailOptions;
    bool sent = false;
    QString error;
    MailTransport::initialize();
    // The manifest window says what it waits for; its earlier notice (where a printout went) comes back after.
    Label *notice = m_manifest ? m_manifest->findChild<Label *>(QStringLiteral("PrintNotice")) : nullptr;
    const QString before = notice ? notice->text() : QString();
    const QColor beforeColor = notice ? notice->foreColor() : QColor();
    if (notice)
        m_manifest->showPrintNotice(QStringLiteral("Sending the mail to %1\u2026").arg(to),
                                    toColor(RowColors::StatusBlue));
    BusyWait::run([&] { sent = MailTransport::send(message, options, &error); });
    if (notice)
        m_manifest->showPrintNotice(before, beforeColor);
    MailSentFlag = QLatin1String(sent ? "Yes" : "No");
    if (sent)
        return;
    // The box says what it always said; the reason sits behind its details button.
    QWidget *parent = m_manifest && m_manifest->isVisible() ? static_cast<QWidget *>(m_manifest.get()) : &mainWindow();
    MessageBox::show(parent, QStringLiteral("There is something wrong with your email settings"),
                     QStringLiteral("Message Not Sent"), QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Warning,
                     error);
}

namespace {

// A printout drawn where the operator wants it: the given surface, the default printer, or a PDF file named so
// that no file list of the program ever takes it for a list or a manifest.
// notice shows, in the window that printed, where a printout went when no printer took it.
template <typename Draw, typename Notice>
bool printTo(VeyraModule1 &module, const QString &pdfStem, const Draw &draw, const Notice &notice)
{
    const VeyraModule1::PrintOptions &options = module.printOptions();
    if (options.surface)
        return draw(*options.surface);
    // A printer or a PDF takes a moment: the operator sees that it is under way.
    struct WaitCursor
    {
        WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
        ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    } waiting;
    notice(QStringLiteral("Printing\u2026"), toColor(RowColors::StatusBlue));
    if (options.systemPrinter) {
        if (std::unique_ptr<PaintedSurface> printer = PaintedSurface::forDefaultPrinter()) {
            // An older notice would name a file this printout did not go to.
            notice(QString(), toColor(RowColors::StatusBlue));
            return draw(*printer);
        }
    }
    QString stem = pdfStem;
    for (QChar &c : stem) {
        if (c.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(c))
            c = u'_';
    }
    const QString name = stem + QDateTime::currentDateTime().toString(QStringLiteral("-yyyyMMdd-HHmmss")) + ".pdf";
    QString path = DataFolder::filePath(module.DataFolder, name);
    if (QFileInfo::exists(path))
        path = DataFolder::freeFileName(path);
    bool whole = false;
    {
        std::unique_ptr<PaintedSurface> pdf = PaintedSurface::forPdf(path, PaintedSurface::defaultPageSize());
        whole = draw(*pdf) && pdf->finish();
    }
    if (QFileInfo::exists(path))
        notice(QStringLiteral("No printer is installed: the printout was saved as %1").arg(path),
               toColor(RowColors::StatusBlue));
    else
        notice(QStringLiteral("No printer is installed, and the printout could not be saved as %1").arg(path),
               toColor(RowColors::Red));
    return whole;
}

} // namespace

bool VeyraModule1::PrintSearchLog()
{
    const SearchLogPrintout::Inputs inputs{CompanyName,
                                           QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat),
                                           CurrentNameFile,
                                           NoFlyListName,
                                           SelecteeListName,
                                           ClearedListName,
                                           {NoFlyListIdentity, SelecteeListIdentity, ClearedListIdentity}};
    return printTo(
        *this, QStringLiteral("SearchLog"),
        [&](PrintSurface &surface) { return SearchLogPrintout::print(surface, inputs); },
        [this](const QString &text, const QColor &color) { mainWindow().showPrintNotice(text, color); });
}

bool VeyraModule1::PrintManifest()
{
    const VeyraManifest &manifest = manifestWindow();
    const ManifestPrintout::Inputs inputs{CompanyName,           manifest.manifestNumber(),
                                          manifest.personRows(), NoFlyListName,
                                          SelecteeListName,      MainFolder,
                                          QDate::currentDate(),  {NoFlyListIdentity, SelecteeListIdentity}};
    return printTo(
        *this, QStringLiteral("ManifestPrint-") + inputs.manifestNumber,
        [&](PrintSurface &surface) { return ManifestPrintout::print(surface, inputs); },
        [this](const QString &text, const QColor &color) { manifestWindow().showPrintNotice(text, color); });
}
