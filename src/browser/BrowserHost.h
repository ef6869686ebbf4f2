#pragma once

#include <QRect>
#include <QString>

class QMainWindow;

// What the browser window needs of the program. The browser lives in a library of its own, loaded on first use,
// so that loading the web engine's libraries costs nothing at start-up; this is all that passes between them.
class BrowserHost
{
public:
    virtual ~BrowserHost() = default;
    // The main window's place and size, which the browser window always takes.
    virtual QRect mainWindowGeometry() const = 0;
    // Where downloads go: the main window's current folder.
    virtual QString downloadFolder() const = 0;
    // The program's own folder, whose files a download must never replace.
    virtual QString dataFolder() const = 0;
    // The window is unloading (its Form_Unload): the main window's file list is refreshed.
    virtual void browserUnloaded() = 0;
    // The operator closed the window: the program lets it go.
    virtual void browserClosed() = 0;
};

// The library's one entry point: makes the window, loaded (Form_Load run), at startAddress.
using CreateBrowserFunction = QMainWindow *(*)(BrowserHost *host, const QString *startAddress);
inline constexpr auto CreateBrowserSymbol = "veyraCreateBrowser";
