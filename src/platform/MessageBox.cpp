#include "platform/MessageBox.h"

namespace MessageBox {

QMessageBox::StandardButton show(QWidget *parent, const QString &text, const QString &title,
                                 QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace MessageBox
