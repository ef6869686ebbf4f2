#include "browser/DownloadName.h"

#include "audit/FileHistory.h"
#include "audit/ScreeningRecord.h"
#include "lists/NameListFile.h"
#include "manifest/ManifestFile.h"
#include "platform/files/DataFolder.h"
#include "search/WatchListFile.h"

#include <QFileInfo>

namespace {

constexpr auto ReservedSuffix = ".download";

// The last part of whatever path the page offered, without the leading dots that would hide it and without
// characters no file name should hold.
QString plainName(const QString &offered)
{
    QString name = offered.section(u'/', -1).section(u'\\', -1);
    for (QChar &c : name) {
        if (c.category() == QChar::Other_Control || c == u':')
            c = u'_';
    }
    qsizetype start = 0;
    while (start < name.size() && (name[start] == u'.' || name[start].isSpace()))
        ++start;
    name = name.mid(start);
    while (!name.isEmpty() && (name.back() == u'.' || name.back().isSpace()))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("download") : name;
}

} // namespace

bool DownloadName::isReserved(const QString &fileName, bool inDataFolder)
{
    // Compared without regard to case: the same folder may be read from Windows, where case does not count.
    auto is = [&fileName](QLatin1String name) { return fileName.compare(name, Qt::CaseInsensitive) == 0; };
    auto startsWith = [&fileName](QLatin1String prefix) { return fileName.startsWith(prefix, Qt::CaseInsensitive); };
    if (fileName.endsWith(QLatin1String(".cdb"), Qt::CaseInsensitive))
        return true; // the journal, the remembered folders, the company information
    if (is(QLatin1String(WatchListFile::WorkingName)) || is(QLatin1String(ManifestFile::WorkingName)) ||
        startsWith(QLatin1String(ManifestFile::Prefix)))
        return true;
    if (is(QLatin1String("Footer1.txt")) || is(QLatin1String("Footer2.txt")))
        return true;
    // The screening record, and the history's folder: a file of that name would stand where the folder goes.
    if (is(QLatin1String(ScreeningRecord::FileName)) || is(QLatin1String(FileHistory::FolderName)))
        return true;
    for (NameListFile::Kind kind : {NameListFile::Kind::Crew, NameListFile::Kind::Employee,
                                    NameListFile::Kind::Mechanic, NameListFile::Kind::Passenger}) {
        for (int n = 1; n <= 4; ++n) {
            if (fileName.compare(NameListFile::fileName(kind, n), Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    // The printouts written when no printer is installed.
    return inDataFolder && (startsWith(QLatin1String("SearchLog")) || startsWith(QLatin1String("ManifestPrint")));
}

DownloadName::Choice DownloadName::choose(const QString &offered, const QString &folder, const QString &dataFolder)
{
    const QString name = plainName(offered);
    const bool reserved =
        isReserved(name, DataFolder::folderIdentity(folder) == DataFolder::folderIdentity(dataFolder));
    Choice choice;
    choice.path = DataFolder::filePath(folder, reserved ? name + QLatin1String(ReservedSuffix) : name);
    const bool taken = QFileInfo::exists(choice.path);
    if (taken)
        choice.path = DataFolder::freeFileName(choice.path);
    const QString saved = QFileInfo(choice.path).fileName();
    if (reserved)
        choice.notice =
            QStringLiteral("\"%1\" is a name VeyraCheck uses, so the file was saved as \"%2\".").arg(name, saved);
    else if (name != offered)
        choice.notice =
            QStringLiteral("The page offered the name \"%1\"; the file was saved as \"%2\".").arg(offered, saved);
    else if (taken)
        choice.notice =
            QStringLiteral("A file named \"%1\" is there already, so the file was saved as \"%2\".").arg(name, saved);
    return choice;
}
