#include "browser/BrowserStart.h"

#include <QFileInfo>
#include <QLibraryInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace BrowserStart {

Plan plan(bool runningAsRoot, bool sandboxOff, const QString &engineProcess)
{
    Plan plan;
    if (engineProcess.isEmpty()) {
        plan.refusal = QStringLiteral(
            "The browser cannot be started: its web engine (QtWebEngineProcess) is not installed.\n"
            "Install the package libqt6webenginecore6-bin, or download the lists with another browser into the "
            "list folder. Everything else works as before.");
        return plan;
    }
    plan.canStart = true;
    // As root the engine would end the program rather than run without its sandbox; the operator is told.
    if (runningAsRoot && !sandboxOff) {
        plan.withoutSandbox = true;
        plan.notice = QStringLiteral("The browser runs without its sandbox, as VeyraCheck was started as root. "
                                     "Start it as an ordinary user to keep the sandbox.");
    }
    return plan;
}

Plan planHere()
{
#ifdef Q_OS_UNIX
    const bool root = ::geteuid() == 0;
#else
    const bool root = false;
#endif
    const bool sandboxOff = qEnvironmentVariableIntValue("QTWEBENGINE_DISABLE_SANDBOX") != 0 ||
                            qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS").contains(QLatin1String("--no-sandbox"));
    // Where the engine looks for its helper: the environment's word first, then Qt's own folder.
    QString process = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
    if (process.isEmpty()) {
#ifdef Q_OS_WIN
        const QString name = QStringLiteral("/QtWebEngineProcess.exe");
#else
        const QString name = QStringLiteral("/QtWebEngineProcess");
#endif
        process = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + name;
    }
    return plan(root, sandboxOff, QFileInfo(process).isExecutable() ? process : QString());
}

void switchSandboxOff()
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

} // namespace BrowserStart
