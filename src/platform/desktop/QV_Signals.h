#pragma once
// A polite end on request: SIGTERM, SIGINT and SIGHUP (the session ending, a
// terminal closing, a script stopping the program) become a call on the main
// thread, so the program closes its window and saves its state as if the user
// had closed it, instead of dying mid-write.

#include <functional>

// Main thread, after the application object exists. The handler runs from the
// event loop; a second signal while the first is served is folded into it. A
// later call replaces the handler; an empty handler restores the default
// actions of the signals.
void OnTerminationRequest(std::function<void()> handler);
