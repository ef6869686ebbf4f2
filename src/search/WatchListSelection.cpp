#include "search/WatchListSelection.h"

#include "audit/FileHistory.h"
#include "platform/files/DataFolder.h"
#include "search/ListIdentity.h"
#include "search/WatchListFile.h"
#include "shared/VeyraVariables.h"

#include <QFileInfo>

WatchListSelection::WatchListSelection(VeyraVariables &vars)
    : m_vars(vars)
{}

void WatchListSelection::forget()
{
    m_vars.SelectedListPath.clear();
    m_vars.WorkingListPath.clear();
}

bool WatchListSelection::select(const QString &folder, const QString &fileName, QString *error)
{
    forget();
    // A file that carries the working name is not a list the operator chose: Search is enabled and finds nothing.
    if (fileName == QLatin1String(WatchListFile::WorkingName))
        return true;
    const QString selectedPath = DataFolder::filePath(folder, fileName);
    if (!QFileInfo(selectedPath).isFile()) {
        if (error)
            *error = QStringLiteral("The file %1 is no longer there.").arg(selectedPath);
        return false;
    }
    m_vars.SelectedListPath = selectedPath;
    // What the working name stands for in this program's statements: the selected file itself.
    m_vars.WorkingListPath = selectedPath;

    if (WatchListFile::isNoFly(fileName))
        m_vars.NoFlyListName = fileName;
    if (WatchListFile::isSelectee(fileName))
        m_vars.SelecteeListName = fileName;
    if (WatchListFile::isCleared(fileName))
        m_vars.ClearedListName = fileName;
    return true;
}

bool WatchListSelection::deleteActiveList(QString *error)
{
    const QString path = m_vars.SelectedListPath;
    forget();
    if (path.isEmpty())
        return true;
    // "Delete File" moves the list into the history under its own name, from where it can be put back.
    QString cause;
    if (FileHistory(m_vars.DataFolder).keepInsteadOfDeleting(path, &cause))
        return true;
    if (error)
        *error = QStringLiteral("The file %1 could not be deleted.\n%2").arg(path, cause);
    return false;
}

void WatchListSelection::recordIdentity(const ListIdentity &identity)
{
    if (WatchListFile::isNoFly(identity.file))
        m_vars.NoFlyListIdentity = identity.printed();
    if (WatchListFile::isSelectee(identity.file))
        m_vars.SelecteeListIdentity = identity.printed();
    if (WatchListFile::isCleared(identity.file))
        m_vars.ClearedListIdentity = identity.printed();
}
