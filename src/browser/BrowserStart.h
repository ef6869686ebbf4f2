#pragma once

#include <QString>

// Whether the browser's web engine can start here, decided before it is loaded: an engine that cannot start ends
// the whole process, unsaved rows and all, so the program asks first and says why instead.
namespace BrowserStart {

struct Plan
{
    bool canStart = false;
    QString refusal;             // why not, and what the operator can do
    bool withoutSandbox = false; // the engine's sandbox is switched off for this run
    QString notice;              // said to the operator when the browser opens
};

// runningAsRoot: the program's effective user is root, under which the engine refuses to run with its sandbox.
// sandboxOff: the environment already switches the sandbox off. engineProcess: the engine's helper program, or
// empty when it is not installed.
Plan plan(bool runningAsRoot, bool sandboxOff, const QString &engineProcess);

// The plan for this process: its user, its environment, the helper where Qt keeps it.
Plan planHere();

// Switches the engine's sandbox off for this process; only ever for root, before the engine is loaded.
void switchSandboxOff();

} // namespace BrowserStart
