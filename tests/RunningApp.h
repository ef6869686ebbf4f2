#pragma once

#include "TestSupport.h"
#include "app/VeyraForm1.h"
#include "app/VeyraModule1.h"
#include "audit/FileHistory.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

// The program as main() starts it, on a data folder of the test's own: one it names, or one of its own that
// prepare fills before the start.
class RunningApp
{
public:
    explicit RunningApp(const QString &dataFolder)
        : module(dataFolder)
    {
        start();
    }
    explicit RunningApp(const std::function<void(const QString &folder)> &prepare = {})
        : module((prepare ? prepare(m_data.path()) : void(), m_data.path()))
    {
        start();
    }

    // The data folder of its own, or a file in it.
    QString data(const QString &name = QString()) const
    {
        return name.isEmpty() ? m_data.path() : m_data.filePath(name);
    }

    VeyraForm1 &window() { return module.mainWindow(); }

    // A control of the main window by its name. A missing control fails the running test with its name and hands
    // back a stand-in, so that the test ends with that message instead of crashing the executable.
    template <typename T> T *find(const QString &objectName)
    {
        if (T *child = window().findChild<T *>(objectName))
            return child;
        const QByteArray message = "no control " + objectName.toUtf8() + " of type " + T::staticMetaObject.className();
        QTest::qFail(message.constData(), __FILE__, __LINE__);
        m_standIns.push_back(std::make_unique<T>());
        return static_cast<T *>(m_standIns.back().get());
    }

private:
    QTemporaryDir m_data; // before the module, which lives in it

public:
    VeyraModule1 module;

private:
    void start()
    {
        module.recoverWorkingNames();
        module.mainWindow().Form_Load();
    }

    std::vector<std::unique_ptr<QObject>> m_standIns;
};

// The versions of a file that the history of a data folder keeps, oldest first: what saves and deletes put aside.
inline QByteArrayList keptVersions(const QString &dataFolder, const QString &fileName)
{
    QByteArrayList kept;
    for (const FileHistory::Item &item : FileHistory(dataFolder).items())
        if (item.id.endsWith('-' + fileName))
            kept.append(TestSupport::readFile(QDir(dataFolder).filePath("History/" + item.id)));
    return kept;
}
