#pragma once

#include <QString>

class QWidget;
class TableCache;
class WatchListSelection;
struct VeyraVariables;

// What the main window may reach of the rest of the program: the shared state and the other windows, which it
// opens and points but never includes.
class MainWindowHost
{
public:
    virtual ~MainWindowHost() = default;
    virtual VeyraVariables &variables() = 0;
    virtual WatchListSelection &watchList() = 0;
    virtual TableCache &tableCache() = 0;
    virtual void saveFolderConfig() = 0;
    virtual bool PrintSearchLog() = 0;

    // Start-up: the manifest window is made, hidden, and its folder list pointed; false when the folder cannot
    // be read. The company information is read into the settings window; false when it is missing or short.
    virtual void loadManifestWindow() = 0;
    virtual bool setManifestFolder(const QString &folder) = 0;
    virtual bool loadCompanyInfo() = 0;

    // The windows the menus and buttons open, made when first needed; the browser may be missing (nullptr).
    virtual QWidget &manifestWindowWidget() = 0;
    virtual QWidget &settingsWindowWidget() = 0;
    virtual QWidget *existingSettingsWindowWidget() = 0;
    virtual QWidget &excelImportWindowWidget() = 0;
    virtual QWidget *browserWindowWidget() = 0;
    virtual void unloadOtherWindows() = 0;
};
