#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class FileSteps;

// Every file the program saves is written through here: whole or not at all, and on the disk with its name
// before success is reported, with the cause of a failure in the operating system's own words ("No space left
// on device", "Permission denied").
class SavedFile
{
public:
    // Replaces the file at path with bytes, or leaves it as it was. ownerOnly: readable by its owner alone.
    // The bytes go to a temporary file beside it, are synced, take its name in one rename, and then the folder
    // is synced, so a power cut leaves the old file or the new one. A folder that cannot be synced (some network
    // file systems) does not fail the save.
    // A link at path is written through, to the file it names; with throughLink false the link itself is replaced
    // by the file, and what it named is left alone (for a name that must never lead elsewhere, such as a restore's
    // or the history's own).
    static bool replace(const QString &path, const QByteArray &bytes, QString *error, bool ownerOnly = false);
    static bool replace(const QString &path, const QByteArray &bytes, QString *error, bool ownerOnly, FileSteps &steps,
                        bool throughLink = true);

    // Whether name is a temporary file of a save (ours or another copy's).
    static bool isTemporaryName(const QString &fileName);
    // Removes the temporary files a crash left in folder: those of this user whose process has ended (on this
    // machine: no process of that number, or one younger than the file), or that are older than a day. Files
    // of saves still running are left alone. Returns the paths removed.
    static QStringList removeLeftovers(const QString &folder);

    // A write over the process's file-size limit then fails with its cause instead of ending the process.
    static void surviveFileSizeLimit();
};
