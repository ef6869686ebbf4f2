#pragma once

#include <QString>

// The application-wide variables, empty (or 0) at start. VeyraModule1 holds the one instance; logic that needs
// them takes this part, which knows nothing of windows.
struct VeyraVariables
{
    QString DataFolder;

    // Remembered folders
    QString MainFolder;
    QString ManifestFolder;
    QString SpreadsheetFolder;

    // The active watch list
    QString SelectedListPath;
    // The file "Veyra.csv" stands for in statements: the selected file itself, which keeps its name
    QString WorkingListPath;
    QString NoFlyListName;
    QString SelecteeListName;
    QString ClearedListName;
    // Which version of each was read: "file  SHA-256 prefix", as the printouts name it
    QString NoFlyListIdentity;
    QString SelecteeListIdentity;
    QString ClearedListIdentity;

    // The name list or spreadsheet the names came from
    QString CurrentNameFile;

    // Company information and mail settings
    QString CompanyName;
    QString SmtpServer;
    QString SmtpUser;
    QString SmtpPassword;
    qint16 SmtpPort = 0;

    // The open manifest: its saved name, and the file "Manifest.csv" stands for in statements (the same file);
    // both empty when none is open
    QString OpenManifestPath;
    QString WorkingManifestPath;

    // The last manifest message and whether it was handed over ("Yes", "No", or empty before any attempt)
    QString MessageBody;
    QString MailSentFlag;
};
