#pragma once

#include <QString>

struct VeyraVariables;
struct ListIdentity;

// Making a watch-list file the active list. The file keeps its own name and is read where it is: statements name
// it "Veyra.csv", and the search binds that name to the selected file, so any number of copies of the program may
// select lists in one folder at once.
class WatchListSelection
{
public:
    explicit WatchListSelection(VeyraVariables &vars);

    // A click on fileName in folder. False, with a reason, when the file could not become the active list;
    // Search must then stay as it was.
    bool select(const QString &folder, const QString &fileName, QString *error);

    // Forgets the active list (a folder or drive change, shut-down). The file itself is not touched.
    void forget();

    // "Delete File": keeps the active list's own file in the history, removes it and forgets the active list.
    // Nothing happens when no list is active: a file that merely carries the working name is nobody's list.
    bool deleteActiveList(QString *error);

    // The active list was read: the printouts name this version for its kind of list, as they name the file.
    void recordIdentity(const ListIdentity &identity);

private:
    VeyraVariables &m_vars;
};
