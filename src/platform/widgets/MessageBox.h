#pragma once

#include <QMessageBox>

namespace MessageBox {

inline constexpr auto ApplicationTitle = "VeyraCheck";

// A modal box over parent (so it is centred on it) with the program's own text, title and buttons. details, when
// given, sits behind the box's "Show Details..." button: the reason behind the program's own words.
QMessageBox::StandardButton show(QWidget *parent, const QString &text,
                                 const QString &title = QString::fromLatin1(ApplicationTitle),
                                 QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                 QMessageBox::Icon icon = QMessageBox::NoIcon, const QString &details = QString());

// A question with Yes and No over parent; true only for Yes (a box closed otherwise answers No).
bool askYesNo(QWidget *parent, const QString &question);

} // namespace MessageBox
