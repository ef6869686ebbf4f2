#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Earlier versions renamed the active list and the open manifest to a working name ("Veyra.csv",
// "Manifest.csv") and noted each rename in a small journal in the data folder. Files keep their own names now;
// a journal such a version left behind after a crash is carried out once at start-up and removed.
class WorkingNames
{
public:
    static constexpr auto JournalName = "WorkingNames.cdb";

    explicit WorkingNames(const QString &dataFolder);

    struct Recovery
    {
        int restored = 0;
        QStringList skipped; // each entry not carried out, with the reason
    };
    // Gives every recorded file its own name back, then removes the journal. Runs at start-up, before any folder
    // is read. Only what the program itself can have done is undone: an entry renames "Veyra.csv" or "Manifest.csv"
    // back to a name in the same folder, that folder is one of `folders` (the remembered main and manifest folders),
    // and the journal is the user's own and writable by no one else. Anything else is dropped and reported.
    Recovery recover(const QStringList &folders);

    struct Entry
    {
        QString ownPath;
        QString workingPath;
    };
    // halfEntry: a last value without its pair (a journal cut short), when there is one.
    QList<Entry> entries(QString *halfEntry = nullptr) const;

private:
    void removeJournal();
    bool renameBack(const Entry &entry, QString *error);

    QString m_journalPath;
};
