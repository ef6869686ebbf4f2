#pragma once

#include "platform/files/SpreadsheetReader.h"

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
    // How a spreadsheet is read (a stand-in in tests).
    virtual SpreadsheetReader::Read spreadsheetReader() const = 0;

    virtual void hideImportedNames() = 0;
    // sheet: the name of the sheet read, for the status line.
    virtual void fillImportedNames(const QList<QStringList> &rows, const QString &sheet) = 0;
    virtual void reportUnreadableSpreadsheet(const QString &fileName, const QString &reason) = 0;
    virtual void reportSpreadsheetNotice(const QString &fileName, const QString &notice) = 0;
    // "Open" and "Cancel" end with the window unloading itself.
    virtual void unloadExcelImportWindow() = 0;
};
