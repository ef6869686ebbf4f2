#include "settings/VeyraSettings.h"

#include "platform/widgets/KeyboardReach.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/MessageBox.h"
#include "platform/widgets/ScrollSurface.h"
#include "platform/widgets/TextBox.h"
#include "settings/SettingsHost.h"
#include "shared/VeyraVariables.h"

#include <QDate>
#include <QEvent>
#include <QFormLayout>
#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int CompanyField = 0;
constexpr int EmailField = 4;
constexpr int ServerField = 5;
constexpr int UserField = 6;
constexpr int PasswordField = 7;
constexpr int PortField = 8;
} // namespace

VeyraSettings::VeyraSettings(SettingsHost &host)
    : QWidget(nullptr, Qt::Window)
    , m_host(host)
    , m_vars(host.variables())
{
    setObjectName(QStringLiteral("VeyraSettings"));
    setWindowTitle(QStringLiteral("Settings"));

    auto *form = new QFormLayout;
    auto addField = [&](int index, const char *caption) {
        auto *label = new Label(QString::fromLatin1(caption), this);
        label->setObjectName(QStringLiteral("Label1_%1").arg(index));
        auto *box = new TextBox(this);
        box->setObjectName(QStringLiteral("Settings_%1").arg(index));
        box->setMinimumWidth(260);
        label->setBuddy(box);
        m_fields[index] = box;
        form->addRow(label, box);
    };
    addField(CompanyField, "Company Name");
    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    form->addRow(line);
    addField(EmailField, "Email Address");
    addField(ServerField, "Server Name");
    addField(UserField, "Username");
    addField(PasswordField, "Password");
    addField(PortField, "SMTP Port");

    m_save = new QPushButton(QStringLiteral("Save"), this);
    m_save->setObjectName(QStringLiteral("Command1"));
    connect(m_save, &QPushButton::clicked, this, &VeyraSettings::Command1_Click);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_save, 0, Qt::AlignRight);
    // The fields keep their height when the window is made smaller; the window opens within the screen.
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    WindowFit::fitToScreen(*this, sizeHint(), minimumSizeHint());
    KeyboardReach::enterClicks(*this, *m_save);
    KeyboardReach::escapeCloses(*this);
}

TextBox *VeyraSettings::field(int index) const
{
    return m_fields[index];
}

QString VeyraSettings::emailAddress() const
{
    return field(EmailField)->text();
}

bool VeyraSettings::loadCompanyInfo()
{
    const CompanyInfoFile::ReadResult read = CompanyInfoFile::read(m_vars.DataFolder);
    m_fileVersion = KnownVersion::of(CompanyInfoFile::path(m_vars.DataFolder));
    takeIntoVariables(read.info);
    fillFields(read.info.emailAddress);
    return read.complete;
}

void VeyraSettings::takeIntoVariables(const CompanyInfo &info)
{
    m_stored = info;
    m_vars.CompanyName = info.companyName;
    m_vars.SmtpServer = info.smtpServer;
    m_vars.SmtpUser = info.smtpUser;
    m_vars.SmtpPassword = info.smtpPassword;
    m_vars.SmtpPort = info.smtpPort;
}

void VeyraSettings::fillFields(const QString &emailAddress)
{
    field(CompanyField)->setText(m_vars.CompanyName);
    field(EmailField)->setText(emailAddress);
    field(ServerField)->setText(m_vars.SmtpServer);
    field(UserField)->setText(m_vars.SmtpUser);
    field(PasswordField)->setText(m_vars.SmtpPassword);
    field(PortField)->setText(QString::number(m_vars.SmtpPort));
}

SettingsFields VeyraSettings::fields() const
{
    return {field(CompanyField)->text(), field(EmailField)->text(),    field(ServerField)->text(),
            field(UserField)->text(),    field(PasswordField)->text(), field(PortField)->text()};
}

void VeyraSettings::Command1_Click()
{
    const QString refusal = CompanyInfoFile::refusal(fields());
    if (!refusal.isEmpty()) {
        MessageBox::show(&m_host.mainWindowWidget(), refusal);
        return;
    }
    if (SaveCompany())
        hide();
}

bool VeyraSettings::SaveCompany()
{
    return CompanyInfoSave();
}

bool VeyraSettings::CompanyInfoSave()
{
    const SettingsFields typed = fields();
    CompanyInfo info = m_stored;
    info.companyName = typed.companyName;
    info.emailAddress = typed.emailAddress;
    info.smtpServer = typed.serverName;
    info.smtpUser = typed.userName;
    info.smtpPassword = typed.password;
    info.smtpPort = CompanyInfoFile::parsePort(typed.smtpPort).value_or(0);

    // Another copy of the program may have saved its settings since this one read them: not overwritten unasked.
    if (m_fileVersion.changedOnDisk()) {
        const QString question = KnownVersion::saveOverQuestion(QString::fromLatin1(CompanyInfoFile::FileName),
                                                                m_fileVersion.changedAt(), QDate::currentDate());
        if (!MessageBox::askYesNo(&m_host.mainWindowWidget(), question))
            return false;
    }
    QString error;
    if (!CompanyInfoFile::write(m_vars.DataFolder, info, &error)) {
        MessageBox::show(&m_host.mainWindowWidget(),
                         QStringLiteral("The settings could not be saved: %1\nThe file is as it was.").arg(error));
        return false;
    }
    m_fileVersion = KnownVersion::of(CompanyInfoFile::path(m_vars.DataFolder));
    // The variables change only once the file holds the same values.
    takeIntoVariables(info);
    return true;
}

void VeyraSettings::Form_Activate()
{
    const QRect main = m_host.mainWindowWidget().frameGeometry();
    const QRect own = frameGeometry();
    move(main.left() + (main.width() - own.width()) / 2, main.top() + (main.height() - own.height()) / 2);
}

bool VeyraSettings::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QWidget::event(event);
}
