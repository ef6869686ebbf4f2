#pragma once

class QWidget;
struct VeyraVariables;

// What the settings window may reach of the rest of the program.
class SettingsHost
{
public:
    virtual ~SettingsHost() = default;
    virtual VeyraVariables &variables() = 0;
    // The window the settings window is centred over, and whose boxes report its refusals.
    virtual QWidget &mainWindowWidget() = 0;
};
