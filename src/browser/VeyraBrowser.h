#pragma once

#include <QMainWindow>

class QComboBox;
class QLabel;
class QTimer;
class QToolBar;
class QWebEngineDownloadRequest;
class QWebEngineView;
class BrowserHost;

// A small browser over the main window, for fetching new watch lists from the authority's portal. Files it
// downloads go into the main window's folder, never over a file that is there already.
class VeyraBrowser : public QMainWindow
{
    Q_OBJECT

public:
    // The authority's information-sharing portal, where the watch lists are published.
    static constexpr auto PortalAddress = "https://portal.veyra-authority.example/watchlists/";
    static constexpr auto SearchAddress = "https://portal.veyra-authority.example/search";
    static constexpr auto WorkingCaption = "Working...";

    // startAddress: where the window opens (the portal unless told otherwise); empty opens a blank page.
    VeyraBrowser(BrowserHost &host, const QString &startAddress);

    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void tbToolBar_ButtonClick(const QString &key);
    void cboAddress_Click();
    void cboAddress_KeyPress(int keyCode);
    void timTimer_Timer();
    void brwWebBrowser_DownloadComplete();

    QWebEngineView *view() const { return m_view; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void navigate(const QString &address);
    void showTitle();
    void download(QWebEngineDownloadRequest *request);

    BrowserHost &m_host;
    QString m_startAddress;
    bool m_busy = false;
    bool m_unloaded = false;

    QToolBar *m_toolBar = nullptr;     // tbToolBar
    QWidget *m_addressPanel = nullptr; // picAddress
    QLabel *m_addressLabel = nullptr;  // lblAddress
    QComboBox *m_address = nullptr;    // cboAddress
    QWebEngineView *m_view = nullptr;  // brwWebBrowser
    QTimer *m_busyTimer = nullptr;     // timTimer
};
