#include "app/FolderConfig.h"

#include "platform/files/DataFolder.h"
#include "platform/files/RecordFile.h"
#include "shared/VeyraVariables.h"

namespace FolderConfig {

QString path(const QString &dataFolder)
{
    return DataFolder::filePath(dataFolder, QString::fromLatin1(FileName));
}

QStringList read(const QString &dataFolder)
{
    return RecordFile::read(path(dataFolder)).values;
}

bool save(const VeyraVariables &vars, QString *error)
{
    return RecordFile::write(path(vars.DataFolder), {{vars.MainFolder, vars.ManifestFolder, vars.SpreadsheetFolder}},
                             error);
}

} // namespace FolderConfig
