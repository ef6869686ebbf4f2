#pragma once

#include "app/VeyraForm1.h"
#include "app/VeyraModule1.h"

#include <QTest>

// The program as main() starts it, on a data folder of the test's own.
class RunningApp
{
public:
    explicit RunningApp(const QString &dataFolder)
        : module(dataFolder)
    {
        module.recoverWorkingNames();
        module.mainWindow().Form_Load();
    }

    VeyraForm1 &window() { return module.mainWindow(); }

    template <typename T> T *find(const QString &objectName)
    {
        T *child = window().findChild<T *>(objectName);
        if (!child)
            qWarning("no control %s", qPrintable(objectName));
        return child;
    }

    VeyraModule1 module;
};
