#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QSysInfo>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <csignal>
#include <functional>
#include <memory>
#include <vector>

namespace TestSupport {

// The columns of a watch list as the authority sends it, and its line end.
inline const QByteArray ListHeader =
    "SID,CLEARED,LASTNAME,FIRSTNAME,MIDDLENAME,TYPE,DOB,POB,CITIZENSHIP,PASSPORT/IDNUMBER,MISC\r\n";

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(bytes);
}

// How a save's temporary file names this machine: its host name, 40 characters at most, letters, digits and
// dashes kept, anything else an underscore.
inline QString machineTag()
{
    QString host = QSysInfo::machineHostName().left(40);
    for (QChar &c : host) {
        if (!c.isLetterOrNumber() && c != u'-')
            c = u'_';
    }
    return host;
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What a program printed and how it ended: exitCode -1 when it crashed or did not end within the time.
struct Ran
{
    int exitCode = -1;
    QByteArray out, err;
};

// Runs a program to its end; its standard output goes to outputFile where one is named.
inline Ran run(const QString &program, const QStringList &arguments, int msecs = 60000,
               const QString &outputFile = QString())
{
    QProcess process;
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(msecs) && process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, process.readAllStandardOutput(), process.readAllStandardError()};
}

// Runs one of the tests' Python scripts; what it wrote on standard error is the failure's message.
#define VEYRA_RUN_SCRIPT(...)                                                                                          \
    do {                                                                                                               \
        const TestSupport::Ran ran =                                                                                   \
            TestSupport::run(QStringLiteral("/usr/bin/python3"), QStringList{__VA_ARGS__}, 280000);                    \
        QVERIFY2(ran.exitCode == 0, ran.err.constData());                                                              \
    } while (false)

// The file's SHA-256 as sha256sum prints it: a second opinion on the program's own.
inline QString sha256sum(const QString &path)
{
    return QString::fromLatin1(run(QStringLiteral("sha256sum"), {path}).out.left(64));
}

// While it lives, no file this process writes may grow past `bytes`: a write beyond fails as on a full disk, with
// its own cause ("File too large"), and whatever was being saved must stay as it was.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_previous);
        const rlimit limit{bytes, m_previous.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_previous); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_previous{};
};

// Answers every modal message box that appears while it lives with its default button, and keeps what each said.
class MessageBoxAnswerer
{
public:
    MessageBoxAnswerer()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            texts.append(box->text());
            titles.append(box->windowTitle());
            details.append(box->detailedText());
            box->done(answer);
        });
        m_timer.start();
    }

    QStringList texts;
    QStringList titles;
    QStringList details;
    // The button every box is answered with; a box without it returns it all the same.
    QMessageBox::StandardButton answer = QMessageBox::Ok;

private:
    QTimer m_timer;
};

} // namespace TestSupport

// A row of a data table, its values in the order of the columns: QTest::newRow(name) << values... on one line.
template <typename... Values> void newRow(const char *name, const Values &...values)
{
    (QTest::newRow(name) << ... << values);
}

namespace TestSupport {

// The test classes linked into one executable; main() runs each in turn.
inline std::vector<std::function<std::unique_ptr<QObject>()>> &registeredTests()
{
    static std::vector<std::function<std::unique_ptr<QObject>()>> tests;
    return tests;
}

template <typename Test> struct Registration
{
    Registration()
    {
        registeredTests().push_back([] { return std::make_unique<Test>(); });
    }
};

} // namespace TestSupport

#define VEYRA_TEST(Class) static const TestSupport::Registration<Class> registration##Class;
