#pragma once

#include "app/VeyraVariables.h"
#include "platform/TableCache.h"
#include "platform/WorkingNames.h"
#include "search/WatchListSelection.h"

#include <memory>

class VeyraForm1;
class VeyraSettings;

// The shared module: the application-wide variables and the one instance of each window, created on first use.
class VeyraModule1 : public VeyraVariables
{
public:
    explicit VeyraModule1(const QString &dataFolder);
    ~VeyraModule1();

    VeyraModule1(const VeyraModule1 &) = delete;
    VeyraModule1 &operator=(const VeyraModule1 &) = delete;

    VeyraForm1 &mainWindow();
    VeyraSettings &settingsWindow();
    VeyraSettings *existingSettingsWindow() const { return m_settings.get(); }

    // Unloads every window but the main window.
    void unloadOtherWindows();

    // Writes the three remembered folders; false with a reason when the file could not be written.
    bool SaveFolderConfig(QString *error);

    WorkingNames &workingNames() { return m_workingNames; }
    WatchListSelection &watchList() { return m_watchList; }
    // Parsed watch lists, kept across searches so that a list is read once however often it is searched.
    TableCache &tableCache() { return m_tableCache; }

private:
    WorkingNames m_workingNames;
    WatchListSelection m_watchList;
    TableCache m_tableCache;
    // Declared after the state they use, so they are destroyed first.
    std::unique_ptr<VeyraSettings> m_settings;
    std::unique_ptr<VeyraForm1> m_mainWindow;
};
