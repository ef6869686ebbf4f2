#pragma once

#include <QString>

namespace DataFolder {

// The file of the company's mail settings, password included: readable by its owner alone wherever it is
// written.
inline constexpr auto CompanyInfoFileName = "CIinfo.cdb";

// C:\VeyraScanData on Windows, ~/VeyraScanData elsewhere.
QString defaultPath();

// Creates the folder when it is missing.
bool ensureExists(const QString &folder, QString *error);

// The folder and a file name joined, in the platform's own separators.
QString filePath(const QString &folder, const QString &fileName);

// A folder's path as one spelling, for telling whether two paths name the same folder: links resolved where the
// folder exists, "." and ".." taken out everywhere.
QString folderIdentity(const QString &folder);

// The first of "name (1).ext", "name (2).ext", ... that no file in the folder has yet.
QString freeFileName(const QString &path);

} // namespace DataFolder
