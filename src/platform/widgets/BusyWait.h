#pragma once

#include <functional>

// Runs work on a worker thread while the windows keep painting: a busy cursor, and every click, key and close
// request of the program's windows is dropped (not queued for later) until the work is done.
namespace BusyWait {

void run(const std::function<void()> &work);

} // namespace BusyWait
