#pragma once

#include <QString>

struct VeyraVariables;
class WorkingNames;

// The open manifest: while it is open its file carries the working name "Manifest.csv" in its folder, and
// OpenManifestPath / WorkingManifestPath remember both names. Every rename goes through the journal, so a
// crash gives the file its name back at the next start.
class ManifestWorkingCopy
{
public:
    ManifestWorkingCopy(VeyraVariables &vars, WorkingNames &journal);

    // Gives the working copy its saved name back. Failures are not reported: the journal keeps what could not
    // be given back for the next start. keepPaths: leave both paths set (the window is unloading).
    void giveBack(bool keepPaths);

    // Removes the file "Manifest.csv" of folder before a manifest is opened or saved. The working copy of the
    // manifest open now may go (Save replaces it); a journalled file of any other manifest gets its name back
    // instead, so a stray working copy is never taken for a left-over and deleted. False, with a reason, when
    // a file could not be moved out of the way.
    bool clearWorkingName(const QString &folder, QString *error);

    // Opens fileName of folder under the working name. On failure nothing is open and nothing was renamed.
    bool open(const QString &folder, const QString &fileName, QString *error);

    // After Save: the saved file is the open manifest, with no working copy.
    void saved(const QString &folder, const QString &fileName);

private:
    VeyraVariables &m_vars;
    WorkingNames &m_journal;
};
