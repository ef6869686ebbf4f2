#pragma once

class QMainWindow;
class QPushButton;
class QWidget;

// What the keyboard reaches beyond the focus chain: the menu bar, closing a window, its default button.
namespace KeyboardReach {

// F10, and Alt on its own, take the keyboard to the menu bar, whichever style draws it.
void menuBar(QMainWindow &window);

// Escape closes the window.
void escapeCloses(QWidget &window);

// Enter clicks the button (windows that are not dialogs have no default button). In a folder list or a drive
// list, Enter stays the list's own; in a file list it chooses the file and then clicks.
void enterClicks(QWidget &window, QPushButton &button);

} // namespace KeyboardReach
