#pragma once

#include <QString>

// The name a file fetched by the browser is saved under. A page chooses the name it offers, so it must never
// get a name the program gives meaning to in that folder (a journal, a working name, a manifest, a name-list
// slot, a footer, a file of the data folder, the screening record, the history's folder), nor the name of a file
// that is there already.
class DownloadName
{
public:
    struct Choice
    {
        QString path;   // where the file is saved
        QString notice; // for the operator when the offered name was not taken, empty otherwise
    };

    // offered: the page's name for the file; folder: where downloads go; dataFolder: the program's own folder.
    static Choice choose(const QString &offered, const QString &folder, const QString &dataFolder);

    // True when the program reads or writes a file of this name in folder.
    static bool isReserved(const QString &fileName, bool inDataFolder);
};
