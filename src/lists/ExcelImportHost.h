#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct VeyraVariables;

// What the spreadsheet import window may reach of the rest of the program: the remembered folders and the
// main window's imported-names grid.
class ExcelImportHost
{
public:
    virtual ~ExcelImportHost() = default;
    virtual VeyraVariables &variables() = 0;
    virtual void saveFolderConfig() = 0;
    // The helper process that reads spreadsheets.
    virtual QString spreadsheetHelper() const = 0;

    virtual void hideImportedNames() = 0;
    virtual void fillImportedNames(const QList<QStringList> &rows) = 0;
    virtual void reportUnreadableSpreadsheet(const QString &fileName, const QString &reason) = 0;
    virtual void reportSpreadsheetNotice(const QString &fileName, const QString &notice) = 0;
    // "Open" and "Cancel" end with the window unloading itself.
    virtual void unloadExcelImportWindow() = 0;
};
