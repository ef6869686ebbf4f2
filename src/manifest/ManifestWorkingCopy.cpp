#include "manifest/ManifestWorkingCopy.h"

#include "audit/FileHistory.h"
#include "manifest/ManifestFile.h"
#include "platform/files/DataFolder.h"
#include "platform/files/WorkingNames.h"
#include "shared/VeyraVariables.h"

#include <QFile>
#include <QFileInfo>

namespace {
QString workingPathIn(const QString &folder)
{
    return DataFolder::filePath(folder, QString::fromLatin1(ManifestFile::WorkingName));
}
} // namespace

ManifestWorkingCopy::ManifestWorkingCopy(VeyraVariables &vars, WorkingNames &journal)
    : m_vars(vars)
    , m_journal(journal)
{}

void ManifestWorkingCopy::giveBack(bool keepPaths)
{
    if (!m_vars.OpenManifestPath.isEmpty() && !m_vars.WorkingManifestPath.isEmpty())
        m_journal.giveBack(m_vars.OpenManifestPath, m_vars.WorkingManifestPath, nullptr);
    if (keepPaths)
        return;
    m_vars.OpenManifestPath.clear();
    m_vars.WorkingManifestPath.clear();
}

bool ManifestWorkingCopy::clearWorkingName(const QString &folder, QString *error)
{
    const QString workingPath = workingPathIn(folder);
    if (!QFileInfo::exists(workingPath))
        return true;
    for (const WorkingNames::Entry &entry : m_journal.entries()) {
        if (entry.workingPath != workingPath || entry.ownPath == m_vars.OpenManifestPath)
            continue;
        return m_journal.giveBack(entry.ownPath, entry.workingPath, error);
    }
    // Whatever goes from the working name is kept: the open manifest's old contents, saved now under another
    // number or over itself, or a left-over file nobody claims.
    bool ownsIt = false;
    for (const WorkingNames::Entry &entry : m_journal.entries())
        ownsIt = ownsIt || (entry.workingPath == workingPath && entry.ownPath == m_vars.OpenManifestPath);
    QString cause;
    if (!FileHistory(m_vars.DataFolder)
             .keepInsteadOfDeleting(workingPath, &cause, ownsIt ? m_vars.OpenManifestPath : QString())) {
        if (error)
            *error = QStringLiteral("The file %1 could not be deleted.\n%2").arg(workingPath, cause);
        return false;
    }
    m_journal.forget(workingPath);
    return true;
}

bool ManifestWorkingCopy::open(const QString &folder, const QString &fileName, QString *error)
{
    const QString ownPath = DataFolder::filePath(folder, fileName);
    const QString workingPath = workingPathIn(folder);
    if (!m_journal.take(ownPath, workingPath, error))
        return false;
    m_vars.OpenManifestPath = ownPath;
    m_vars.WorkingManifestPath = workingPath;
    return true;
}

void ManifestWorkingCopy::saved(const QString &folder, const QString &fileName)
{
    m_vars.OpenManifestPath = DataFolder::filePath(folder, fileName);
    m_vars.WorkingManifestPath = workingPathIn(folder);
}
