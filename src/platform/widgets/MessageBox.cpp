#include "platform/widgets/MessageBox.h"

namespace MessageBox {

QMessageBox::StandardButton show(QWidget *parent, const QString &text, const QString &title,
                                 QMessageBox::StandardButtons buttons, QMessageBox::Icon icon, const QString &details)
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    if (!details.isEmpty())
        box.setDetailedText(details);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool askYesNo(QWidget *parent, const QString &question)
{
    return show(parent, question, QString::fromLatin1(ApplicationTitle), QMessageBox::Yes | QMessageBox::No,
                QMessageBox::Question) == QMessageBox::Yes;
}

} // namespace MessageBox
