#pragma once

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace TestSupport {

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(bytes);
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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
            box->done(QMessageBox::Ok);
        });
        m_timer.start();
    }

    QStringList texts;
    QStringList titles;

private:
    QTimer m_timer;
};

// Runs each test class in turn; the exit status counts the failed classes.
template <typename... Tests> int runAll(int argc, char *argv[])
{
    QApplication app(argc, argv);
    int failed = 0;
    ((failed += QTest::qExec(std::make_unique<Tests>().get(), argc, argv) != 0), ...);
    return failed;
}

} // namespace TestSupport

#define VEYRA_TEST(Class) static const TestSupport::Registration<Class> registration##Class;
