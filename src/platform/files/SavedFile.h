#pragma once

#include <QByteArray>
#include <QString>

// Every file the program saves is written through here: whole or not at all, with the cause of a failure in
// the operating system's own words ("No space left on device", "Permission denied").
class SavedFile
{
public:
    // Replaces the file at path with bytes, or leaves it as it was. ownerOnly: readable by its owner alone.
    static bool replace(const QString &path, const QByteArray &bytes, QString *error, bool ownerOnly = false);

    // A write over the process's file-size limit then fails with its cause instead of ending the process.
    static void surviveFileSizeLimit();
};
