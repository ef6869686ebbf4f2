#pragma once

#include "platform/files/KnownVersion.h"

#include <QByteArray>
#include <QString>

class FileHistory;
struct VeyraVariables;

// The manifest open in the manifest window. Its file keeps its own name and is read where it is: statements name
// it "Manifest.csv", which the window binds to this file. OpenManifestPath and WorkingManifestPath both name it.
class OpenManifest
{
public:
    explicit OpenManifest(VeyraVariables &vars);

    // fileName of folder is the open manifest now.
    void open(const QString &folder, const QString &fileName);
    // Nothing is open any longer (a folder or drive change).
    void close();
    QString path() const;

    // The open manifest was read as the version with this SHA-256, or was saved as these bytes.
    void read(const QByteArray &sha256);

    // Whether a save as path would overwrite a version someone else wrote since this window read or saved it.
    bool changedBySomeoneElse(const QString &path) const;
    const KnownVersion &version() const { return m_version; }

    // The persons were saved as path, in these bytes. A manifest opened under one number and saved under another
    // no longer exists under the old one: that file is kept in the history and removed. False, with a reason,
    // when it could not be; the new file is saved all the same, and is the open manifest.
    bool saved(const QString &path, const QByteArray &bytes, const FileHistory &history, QString *error);

private:
    VeyraVariables &m_vars;
    KnownVersion m_version;
};
