#include "search/WatchListSelection.h"

#include "audit/FileHistory.h"
#include "platform/files/DataFolder.h"
#include "platform/files/WorkingNames.h"
#include "search/ListIdentity.h"
#include "search/WatchListFile.h"
#include "shared/VeyraVariables.h"

#include <QFile>
#include <QFileInfo>

WatchListSelection::WatchListSelection(VeyraVariables &vars, WorkingNames &journal)
    : m_vars(vars)
    , m_journal(journal)
{}

bool WatchListSelection::restore(QString *error)
{
    if (m_vars.SelectedListPath.isEmpty() || m_vars.WorkingListPath.isEmpty())
        return true;
    const bool restored = m_journal.giveBack(m_vars.SelectedListPath, m_vars.WorkingListPath, error);
    m_vars.SelectedListPath.clear();
    m_vars.WorkingListPath.clear();
    return restored;
}

bool WatchListSelection::select(const QString &folder, const QString &fileName, QString *error)
{
    if (!restore(error))
        return false;
    const QString workingName = QString::fromLatin1(WatchListFile::WorkingName);
    if (fileName == workingName)
        return true;

    const QString workingPath = DataFolder::filePath(folder, workingName);
    // A left-over file under the working name is nobody's list now, but it may have been somebody's: kept.
    QString cause;
    if (!FileHistory(m_vars.DataFolder).keepInsteadOfDeleting(workingPath, &cause)) {
        if (error)
            *error = QStringLiteral("The left-over file %1 could not be deleted.\n%2").arg(workingPath, cause);
        return false;
    }
    const QString selectedPath = DataFolder::filePath(folder, fileName);
    if (!m_journal.take(selectedPath, workingPath, error))
        return false;
    m_vars.SelectedListPath = selectedPath;
    m_vars.WorkingListPath = workingPath;

    if (WatchListFile::isNoFly(fileName))
        m_vars.NoFlyListName = fileName;
    if (WatchListFile::isSelectee(fileName))
        m_vars.SelecteeListName = fileName;
    if (WatchListFile::isCleared(fileName))
        m_vars.ClearedListName = fileName;
    return true;
}

bool WatchListSelection::deleteWorkingFile(const QString &folder, QString *error)
{
    const QString workingPath = DataFolder::filePath(folder, QString::fromLatin1(WatchListFile::WorkingName));
    // "Delete File" moves the list into the history under its own name, from where it can be put back.
    bool deleted = true;
    QString cause;
    const bool ownName = !m_vars.SelectedListPath.isEmpty() && m_vars.WorkingListPath == workingPath;
    if (!FileHistory(m_vars.DataFolder)
             .keepInsteadOfDeleting(workingPath, &cause, ownName ? m_vars.SelectedListPath : QString())) {
        deleted = false;
        if (error)
            *error = QStringLiteral("The file %1 could not be deleted.\n%2").arg(workingPath, cause);
    }
    if (deleted)
        m_journal.forget(workingPath);
    m_vars.SelectedListPath.clear();
    m_vars.WorkingListPath.clear();
    return deleted;
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
