#include "app/VeyraModule1.h"

#include "app/FolderConfig.h"
#include "app/VeyraForm1.h"
#include "settings/VeyraSettings.h"

#include <QDir>

namespace {
QString cleanFolder(const QString &folder)
{
    return QDir::toNativeSeparators(QDir::cleanPath(QDir(folder).absolutePath()));
}
} // namespace

VeyraModule1::VeyraModule1(const QString &dataFolder)
    : m_workingNames(cleanFolder(dataFolder))
    , m_watchList(*this, m_workingNames)
{
    DataFolder = cleanFolder(dataFolder);
}

VeyraModule1::~VeyraModule1() = default;

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

void VeyraModule1::unloadOtherWindows()
{
    m_settings.reset();
}

bool VeyraModule1::SaveFolderConfig(QString *error)
{
    return FolderConfig::save(*this, error);
}
