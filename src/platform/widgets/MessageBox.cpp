#include "platform/widgets/MessageBox.h"

#include <QApplication>

namespace MessageBox {

QMessageBox::StandardButton show(QWidget *parent, const QString &text, const QString &title,
                                 QMessageBox::StandardButtons buttons, QMessageBox::Icon icon, const QString &details)
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    if (!details.isEmpty())
        box.setDetailedText(details);
    // A box asked in the middle of long work (a search's refusal) takes the ordinary pointer.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
    if (busy)
        QApplication::restoreOverrideCursor();
    return answer;
}

bool askYesNo(QWidget *parent, const QString &question)
{
    return show(parent, question, QString::fromLatin1(ApplicationTitle), QMessageBox::Yes | QMessageBox::No,
                QMessageBox::Question) == QMessageBox::Yes;
}

} // namespace MessageBox
