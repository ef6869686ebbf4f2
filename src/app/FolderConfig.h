#pragma once

#include <QStringList>

struct VeyraVariables;

// Defaultcfg.cdb: the main, manifest and spreadsheet folders, remembered across runs.
namespace FolderConfig {

inline constexpr auto FileName = "Defaultcfg.cdb";

QString path(const QString &dataFolder);

// The values of the file in order; empty when it is missing.
QStringList read(const QString &dataFolder);

// SaveFolderConfig: writes all three current folders, so each window's change keeps the other two.
bool save(const VeyraVariables &vars, QString *error);

} // namespace FolderConfig
