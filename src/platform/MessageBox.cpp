#include "platform/MessageBox.h"

namespace MessageBox {

QMessageBox::StandardButton show(QWidget *parent, const QString &text, const QString &title,
                                 QMessageBox::StandardButtons buttons)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, buttons, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace MessageBox
