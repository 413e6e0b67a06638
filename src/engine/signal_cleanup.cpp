#include "signal_cleanup.h"

#include <pthread.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

namespace {

sigset_t interrupting_signals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

// Ends the process by `sig` with its default action.
[[noreturn]] void end_by(int sig) {
    std::signal(sig, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, sig);
    pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    raise(sig);
    _exit(128 + sig);  // only if the signal was ignored by the default action
}

}  // namespace

SignalCleanup::SignalCleanup(Temporaries& temporaries) : temporaries_(temporaries) {
    sigset_t set = interrupting_signals();
    // A console read by a program that has gone (`tarvex < answers | head`): writing to it
    // fails instead of ending the run between two files.
    sigaddset(&set, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    // A file grown past the size limit of the process fails its write ("File too large"),
    // which is reported and cleaned up like any other, instead of killing the process with
    // its temporaries and locks left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    thread_ = std::thread([this] { wait_for_signal(); });
}

SignalCleanup::~SignalCleanup() {
    done_ = true;
    pthread_kill(thread_.native_handle(), SIGTERM);  // wakes the thread, which sees done_
    thread_.join();
}

void SignalCleanup::wait_for_signal() {
    // The terminal's settings now: a signal during a key wait would otherwise leave it
    // without echo.
    termios terminal{};
    const bool on_terminal = isatty(STDIN_FILENO) != 0 && tcgetattr(STDIN_FILENO, &terminal) == 0;
    const sigset_t set = interrupting_signals();
    int sig = 0;
    while (sigwait(&set, &sig) != 0) {
    }
    if (done_) return;
    temporaries_.remove_all_and_hold();
    if (on_terminal) tcsetattr(STDIN_FILENO, TCSANOW, &terminal);
    end_by(sig);
}
