#pragma once

#include "manifest/ManifestScreening.h"

#include <QList>
#include <QString>

class QWidget;
struct VeyraVariables;

// What the manifest window may reach of the rest of the program.
class ManifestHost
{
public:
    virtual ~ManifestHost() = default;
    virtual VeyraVariables &variables() = 0;
    virtual void saveFolderConfig() = 0;

    // The main window, whose place and size the manifest window takes and which "Back" shows again.
    virtual QWidget &mainWindowWidget() = 0;
    // The main window's name rows, with the marks the searches left on them.
    virtual QList<ManifestScreening::SearchedRow> searchedRows() const = 0;
    // The settings window's e-mail address, saved or not.
    virtual QString settingsEmailAddress() = 0;

    virtual bool PrintManifest() = 0;
    virtual void SendMail(QString &server, QString &userName, QString &password, qint16 &port, QString &from,
                          QString &to, QString &bcc, QString &subject, QString &body) = 0;
    // "Back" ends with the window unloading itself.
    virtual void unloadManifestWindow() = 0;
};
