#pragma once

#include "platform/files/KnownVersion.h"
#include "settings/CompanyInfoFile.h"

#include <QWidget>

class QPushButton;
class TextBox;
class SettingsHost;
struct VeyraVariables;

// The settings window: company name, default recipient and mail settings, kept in CIinfo.cdb.
class VeyraSettings : public QWidget
{
    Q_OBJECT

public:
    explicit VeyraSettings(SettingsHost &host);

    // Start-up's reading of the company information: fills the variables and the fields with what could be
    // read. False when the file is missing or ends early.
    bool loadCompanyInfo();

    void Command1_Click();
    bool SaveCompany();
    bool CompanyInfoSave();
    void Form_Activate();

    // The Email Address field's current text, saved or not.
    QString emailAddress() const;

protected:
    bool event(QEvent *event) override;

private:
    TextBox *field(int index) const;
    SettingsFields fields() const;
    void takeIntoVariables(const CompanyInfo &info);
    void fillFields(const QString &emailAddress);

    SettingsHost &m_host;
    VeyraVariables &m_vars;
    // The values read at start-up that this program does not use, written back unchanged.
    CompanyInfo m_stored;
    KnownVersion m_fileVersion; // CIinfo.cdb as read or saved last
    TextBox *m_fields[9] = {};
    QPushButton *m_save = nullptr;
};
