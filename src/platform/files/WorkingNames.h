#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A file that is read under a fixed working name ("Veyra.csv", "Manifest.csv") is recorded here, in a small
// journal in the data folder, before it is renamed, so that a crash never strands it under the working name.
class WorkingNames
{
public:
    static constexpr auto JournalName = "WorkingNames.cdb";

    explicit WorkingNames(const QString &dataFolder);

    // Records the pair, then renames the file to its working name. On failure nothing stays recorded.
    bool take(const QString &ownPath, const QString &workingPath, QString *error);

    // Renames the working file back to its own name and forgets the pair. When another file has taken the own
    // name meanwhile, the list gets a free numbered name instead, so neither file is lost; restoredPath says
    // which name it got. A working file that is gone already counts as given back. On failure the pair stays
    // recorded, so the next start-up tries again.
    bool giveBack(const QString &ownPath, const QString &workingPath, QString *error, QString *restoredPath = nullptr);

    // The working file was deleted on purpose: forget the pair.
    void forget(const QString &workingPath);

    struct Recovery
    {
        int restored = 0;
        QStringList skipped; // each entry not carried out, with the reason
    };
    // Gives every recorded file its own name back. Runs at start-up, before any folder is read. Only what the
    // program itself can have done is undone: an entry renames "Veyra.csv" or "Manifest.csv" back to a name
    // in the same folder, that folder is one of `folders` (the remembered main and manifest folders), and the
    // journal is the user's own and writable by no one else. Anything else is dropped and reported.
    Recovery recover(const QStringList &folders);

    struct Entry
    {
        QString ownPath;
        QString workingPath;
    };
    // halfEntry: a last value without its pair (a journal cut short), when there is one.
    QList<Entry> entries(QString *halfEntry = nullptr) const;

private:
    bool store(const QList<Entry> &entries, QString *error);
    bool renameBack(const Entry &entry, QString *error, QString *restoredPath);

    QString m_journalPath;
};
