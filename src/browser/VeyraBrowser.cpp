#include "browser/VeyraBrowser.h"

#include "browser/BrowserHost.h"
#include "browser/DownloadName.h"
#include "platform/widgets/Twips.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace {
constexpr int LabelHeight = 240;
constexpr int AddressHeight = 330;
} // namespace

VeyraBrowser::VeyraBrowser(BrowserHost &host, const QString &startAddress)
    : m_host(host)
    , m_startAddress(startAddress)
{
    setObjectName(QStringLiteral("VeyraBrowser"));

    m_toolBar = addToolBar(QString());
    m_toolBar->setObjectName(QStringLiteral("tbToolBar"));
    m_toolBar->setMovable(false);
    const std::pair<const char *, QStyle::StandardPixmap> buttons[] = {
        {"Back", QStyle::SP_ArrowBack},   {"Forward", QStyle::SP_ArrowForward},
        {"Stop", QStyle::SP_BrowserStop}, {"Refresh", QStyle::SP_BrowserReload},
        {"Home", QStyle::SP_DirHomeIcon}, {"Search", QStyle::SP_FileDialogContentsView}};
    for (const auto &[key, icon] : buttons) {
        QAction *action = m_toolBar->addAction(style()->standardIcon(icon), QString::fromLatin1(key));
        action->setObjectName(QString::fromLatin1(key));
        action->setToolTip(QString::fromLatin1(key));
        connect(action, &QAction::triggered, this,
                [this, key = QString::fromLatin1(key)] { tbToolBar_ButtonClick(key); });
    }

    auto *surface = new QWidget(this);
    setCentralWidget(surface);
    m_addressPanel = new QWidget(surface);
    m_addressPanel->setObjectName(QStringLiteral("picAddress"));
    m_addressLabel = new QLabel(QStringLiteral("&Address:"), m_addressPanel);
    m_addressLabel->setObjectName(QStringLiteral("lblAddress"));
    m_address = new QComboBox(m_addressPanel);
    m_address->setObjectName(QStringLiteral("cboAddress"));
    m_address->setEditable(true);
    m_address->setInsertPolicy(QComboBox::NoInsert);
    m_address->setEditText(m_startAddress);
    m_addressLabel->setBuddy(m_address);
    m_view = new QWebEngineView(surface);
    m_view->setObjectName(QStringLiteral("brwWebBrowser"));
    m_busyTimer = new QTimer(this);
    m_busyTimer->setObjectName(QStringLiteral("timTimer"));
    m_busyTimer->setInterval(5);

    connect(m_busyTimer, &QTimer::timeout, this, &VeyraBrowser::timTimer_Timer);
    connect(m_address, &QComboBox::activated, this, &VeyraBrowser::cboAddress_Click);
    connect(m_address->lineEdit(), &QLineEdit::returnPressed, this, [this] { cboAddress_KeyPress(13); });
    connect(m_view, &QWebEngineView::loadStarted, this, [this] { m_busy = true; });
    // Every finished page load, whoever asked for it (a link in the page, a page sending the browser on), gives
    // the caption the page's title.
    connect(m_view, &QWebEngineView::loadFinished, this, [this] {
        m_busy = false;
        brwWebBrowser_DownloadComplete();
    });
    connect(m_view->page()->profile(), &QWebEngineProfile::downloadRequested, this, &VeyraBrowser::download);
}

void VeyraBrowser::Form_Load()
{
    show();
    m_toolBar->update();
    Form_Resize();
    if (!m_address->currentText().isEmpty())
        navigate(m_address->currentText());
}

void VeyraBrowser::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void VeyraBrowser::Form_Resize()
{
    // The inner area from the window's own size: the central widget follows it only after this event.
    const int innerWidth = Twips::fromPixelsX(width(), *this);
    // A status bar is there only once a download had to be renamed.
    const QStatusBar *status = findChild<QStatusBar *>(QString(), Qt::FindDirectChildrenOnly);
    const int statusHeight = status && !status->isHidden() ? status->sizeHint().height() : 0;
    const int innerHeight = Twips::fromPixelsY(height() - m_toolBar->height() - statusHeight, *this);
    Twips::place(m_addressLabel, 50, 30, 1200, LabelHeight);
    // The address box sits 15 twips below its label.
    Twips::place(m_address, 50, 30 + LabelHeight + 15, std::max(innerWidth - 100, 720), AddressHeight);
    const int panelHeight = 30 + LabelHeight + 15 + AddressHeight + 60;
    Twips::place(m_addressPanel, 0, 0, std::max(innerWidth, 720), panelHeight);
    Twips::place(m_view, 50, panelHeight, std::max(innerWidth - 100, 720),
                 std::max(innerHeight - panelHeight - 50, 720));
    // The window always covers the main window: any other place or size is undone here.
    const QRect main = m_host.mainWindowGeometry();
    if (geometry() != main)
        setGeometry(main);
}

void VeyraBrowser::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form_Unload();
    m_host.browserClosed();
}

void VeyraBrowser::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_host.browserUnloaded();
}

void VeyraBrowser::navigate(const QString &address)
{
    // Busy from the request on, as the page starts loading only a moment later.
    m_busy = true;
    m_view->setUrl(QUrl::fromUserInput(address));
}

void VeyraBrowser::showTitle()
{
    setWindowTitle(m_view->title());
}

// The page's own history and loading; a step that cannot be taken (Back with no history) does nothing.
void VeyraBrowser::tbToolBar_ButtonClick(const QString &key)
{
    m_busyTimer->start();
    QWebEngineHistory *history = m_view->history();
    if (key == QLatin1String("Back") && history->canGoBack()) {
        m_busy = true;
        m_view->back();
    } else if (key == QLatin1String("Forward") && history->canGoForward()) {
        m_busy = true;
        m_view->forward();
    } else if (key == QLatin1String("Refresh")) {
        m_busy = true;
        m_view->reload();
    } else if (key == QLatin1String("Home"))
        navigate(m_startAddress.isEmpty() ? QString::fromLatin1(PortalAddress) : m_startAddress);
    else if (key == QLatin1String("Search"))
        navigate(QString::fromLatin1(SearchAddress));
    else if (key == QLatin1String("Stop")) {
        m_busyTimer->stop();
        m_view->stop();
        m_busy = false;
        showTitle();
    }
}

void VeyraBrowser::cboAddress_Click()
{
    m_busyTimer->start();
    navigate(m_address->currentText());
}

void VeyraBrowser::cboAddress_KeyPress(int keyCode)
{
    if (keyCode != 13)
        return;
    m_busyTimer->start();
    navigate(m_address->currentText());
}

void VeyraBrowser::timTimer_Timer()
{
    if (m_busy) {
        setWindowTitle(QString::fromLatin1(WorkingCaption));
        return;
    }
    m_busyTimer->stop();
    showTitle();
}

void VeyraBrowser::brwWebBrowser_DownloadComplete()
{
    showTitle();
}

void VeyraBrowser::download(QWebEngineDownloadRequest *request)
{
    // Into the folder of the main window's file list, never over a file that is there already, and never under
    // a name the program reads or writes there.
    const DownloadName::Choice choice =
        DownloadName::choose(request->downloadFileName(), m_host.downloadFolder(), m_host.dataFolder());
    request->setDownloadDirectory(QFileInfo(choice.path).absolutePath());
    request->setDownloadFileName(QFileInfo(choice.path).fileName());
    if (!choice.notice.isEmpty()) {
        statusBar()->showMessage(choice.notice);
        statusBar()->show();
        Form_Resize();
    }
    request->accept();
}

extern "C" Q_DECL_EXPORT QMainWindow *veyraCreateBrowser(BrowserHost *host, const QString *startAddress)
{
    auto *browser = new VeyraBrowser(*host, *startAddress);
    browser->Form_Load();
    return browser;
}
