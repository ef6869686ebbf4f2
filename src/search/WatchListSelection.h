#pragma once

#include <QString>

struct VeyraVariables;
class WorkingNames;

// Making a watch-list file the active list: it is read under the working name "Veyra.csv" while selected and
// gets its own name back on every way out.
struct ListIdentity;

class WatchListSelection
{
public:
    WatchListSelection(VeyraVariables &vars, WorkingNames &journal);

    // A click on fileName in folder. False, with a reason, when the file could not become the active list;
    // Search must then stay as it was.
    bool select(const QString &folder, const QString &fileName, QString *error);

    // Gives the active list its own name back and forgets it. False only when the file is still under its
    // working name, which a later step must then not delete.
    bool restore(QString *error);

    // "Delete File": removes the working file of folder and forgets the active list.
    bool deleteWorkingFile(const QString &folder, QString *error);

    // The active list was read: the printouts name this version for its kind of list, as they name the file.
    void recordIdentity(const ListIdentity &identity);

private:
    VeyraVariables &m_vars;
    WorkingNames &m_journal;
};
