// Interrupting signals (SIGINT, SIGTERM, SIGHUP) end the process cleanly: the registered
// temporaries and locks are removed, the terminal gets back its settings, and the process then
// ends by the same signal, as it would have without us. The signals are taken by a thread of
// its own, so the cleanup runs ordinary code, not a signal handler. SIGPIPE is blocked: a write
// to a console nobody reads any more fails, and the run goes on to its end. SIGXFSZ is ignored:
// a write past the file size limit fails like a write to a full disk.
// Public: both programs' main() take the interrupting signals through it.
#ifndef TARVEX_SIGNAL_CLEANUP_H
#define TARVEX_SIGNAL_CLEANUP_H

#include <atomic>
#include <thread>

#include "temporaries.h"

class SignalCleanup : Pinned {
public:
    // Construct it first in `main`, before any other thread starts: the threads started later
    // inherit the blocked signals.
    explicit SignalCleanup(Temporaries& temporaries);
    ~SignalCleanup();

private:
    void wait_for_signal();

    Temporaries& temporaries_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

#endif
