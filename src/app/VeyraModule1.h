#pragma once

#include "app/MainWindowHost.h"
#include "engine/TableCache.h"
#include "lists/ExcelImportHost.h"
#include "manifest/ManifestHost.h"
#include "platform/files/WorkingNames.h"
#include "platform/mail/MailTransport.h"
#include "search/WatchListSelection.h"
#include "settings/SettingsHost.h"
#include "shared/VeyraVariables.h"

#include <QPointer>

#include <memory>

class BrowserHost;
class PrintSurface;
class QMainWindow;
class VeyraExcelImport;
class VeyraForm1;
class VeyraManifest;
class VeyraSettings;

// The shared module: the application-wide variables and the one instance of each window, created on first use.
// It is each window's host: what one window may read or call of another passes through here.
class VeyraModule1 : public VeyraVariables,
                     public MainWindowHost,
                     public ManifestHost,
                     public SettingsHost,
                     public ExcelImportHost
{
public:
    explicit VeyraModule1(const QString &dataFolder);
    ~VeyraModule1();

    VeyraModule1(const VeyraModule1 &) = delete;
    VeyraModule1 &operator=(const VeyraModule1 &) = delete;

    VeyraForm1 &mainWindow();
    VeyraSettings &settingsWindow();
    VeyraSettings *existingSettingsWindow() const { return m_settings.get(); }
    VeyraManifest &manifestWindow();
    VeyraManifest *existingManifestWindow() const { return m_manifest.get(); }
    // The manifest window unloads itself on "Back"; the next opening creates it anew.
    void unloadManifestWindow() override;

    VeyraExcelImport &excelImportWindow();
    VeyraExcelImport *existingExcelImportWindow() const { return m_excelImport.get(); }
    void unloadExcelImportWindow() override;
    // The helper that reads spreadsheets: next to the program unless told otherwise.
    SpreadsheetReader::Read spreadsheetReader() const override;
    void setSpreadsheetReader(SpreadsheetReader::Read read) { m_spreadsheetReader = std::move(read); }

    // The browser window, loaded with its library on first use; nothing (and a message) when it cannot be.
    QMainWindow *browserWindow();
    QMainWindow *existingBrowserWindow() const { return m_browser.get(); }
    void unloadBrowserWindow();
    // Where the browser window opens: the portal unless told otherwise.
    QString browserStartAddress;
    // The browser's library: next to the program unless told otherwise.
    QString browserLibrary;

    // Unloads every window but the main window.
    void unloadOtherWindows() override;

    // Writes the three remembered folders. A failure is reported once a run: every folder change would fail
    // the same way.
    void SaveFolderConfig();

    // Sends one HTML message. Settings that are not set get their defaults, written back into the caller's
    // variables. Leaves "Yes" or "No" in MailSentFlag; a failure is reported in a message box.
    void SendMail(QString &server, QString &userName, QString &password, qint16 &port, QString &from, QString &to,
                  QString &bcc, QString &subject, QString &body) override;
    MailTransport::Options &mailOptions() { return m_mailOptions; }

    // The printouts. With no printer installed they are written as PDF files into the data folder, and the
    // main window's status line names the file. False when the printout could not be drawn whole.
    bool PrintSearchLog() override;
    bool PrintManifest() override;
    struct PrintOptions
    {
        PrintSurface *surface = nullptr; // draw here instead (tests)
        bool systemPrinter = true;       // false: always a PDF file
    };
    PrintOptions &printOptions() { return m_printOptions; }

    // At start-up, before any folder is read: a list or manifest that an earlier version left under its working
    // name gets its own name back, in the remembered main and manifest folders only, and the journal goes. What
    // is not done is reported on standard error.
    WorkingNames::Recovery recoverWorkingNames();
    // At start-up: the temporary files of saves a crash cut short are removed from the data folder and the
    // remembered main and manifest folders. Returns their paths.
    QStringList removeLeftoverSaves();
    WatchListSelection &watchList() override { return m_watchList; }
    // Parsed watch lists, kept across searches so that a list is read once however often it is searched.
    TableCache &tableCache() override { return m_tableCache; }

    // What the windows may reach of each other.
    VeyraVariables &variables() override { return *this; }
    void saveFolderConfig() override { SaveFolderConfig(); }
    QWidget &mainWindowWidget() override;
    QList<ManifestScreening::SearchedRow> searchedRows() const override;
    QString settingsEmailAddress() override;
    void hideImportedNames() override;
    void fillImportedNames(const QList<QStringList> &rows, const QString &sheet) override;
    void reportUnreadableSpreadsheet(const QString &fileName, const QString &reason) override;
    void reportSpreadsheetNotice(const QString &fileName, const QString &notice) override;
    void loadManifestWindow() override { manifestWindow(); }
    bool setManifestFolder(const QString &folder) override;
    bool loadCompanyInfo() override;
    QWidget &manifestWindowWidget() override;
    QWidget &settingsWindowWidget() override;
    QWidget *existingSettingsWindowWidget() override;
    QWidget &excelImportWindowWidget() override;
    QWidget *browserWindowWidget() override;

private:
    WatchListSelection m_watchList;
    TableCache m_tableCache;
    MailTransport::Options m_mailOptions;
    PrintOptions m_printOptions;
    bool m_folderConfigFailureShown = false;
    // Declared after the state they use, so they are destroyed first.
    std::unique_ptr<VeyraManifest> m_manifest;
    QPointer<VeyraManifest> m_unloadedManifest; // unloaded, waiting for its handlers to return
    std::unique_ptr<VeyraExcelImport> m_excelImport;
    QPointer<VeyraExcelImport> m_unloadedExcelImport;
    SpreadsheetReader::Read m_spreadsheetReader;
    std::unique_ptr<BrowserHost> m_browserHost;
    std::unique_ptr<QMainWindow> m_browser;
    QPointer<QMainWindow> m_unloadedBrowser;
    std::unique_ptr<VeyraSettings> m_settings;
    std::unique_ptr<VeyraForm1> m_mainWindow;
};
