// What a run tells the world while it works: its console trace, with the pauses the console
// makes for the user after some of its lines, its progress, and its fatal stops.
#ifndef TARVEX_TRACE_H
#define TARVEX_TRACE_H

#include <chrono>
#include <functional>
#include <string>

#include "stop.h"
#include "text.h"

// Where the console trace of a run goes: the console itself, or anything else.
class Trace {
public:
    virtual ~Trace() = default;
    virtual void say_text(const std::string& text) = 0;
    // The pause the console makes after some lines of the trace (a key press on a terminal).
    virtual void wait_key() = 0;
};

// A trace nobody reads.
class SilentTrace : public Trace {
public:
    void say_text(const std::string&) override {}
    void wait_key() override {}
};

// How far a run has got: after each pass of a growth phase ("river construction",
// "flooding"), the pass's number from 1, the cells it changed and the time since the run began.
struct Progress {
    const char* phase;
    long long pass;
    long long changed;
    double seconds;
};
using ProgressFn = std::function<void(const Progress&)>;

// A run's trace, progress and stops, as its stages use them.
class RunLog {
public:
    RunLog(Trace& trace, ProgressFn progress)
        : trace_(trace), progress_(std::move(progress)), start_(std::chrono::steady_clock::now()) {}

    void say(const char* fmt, ...) TARVEX_PRINTF(2, 3);
    void say_text(const std::string& text) { trace_.say_text(text); }
    void wait_key() { trace_.wait_key(); }
    // The message, a pause, and the run goes on.
    void warn(const std::string& message);
    // The message, a pause, and the run stops: throws Stop carrying the message.
    [[noreturn]] void fatal(const std::string& message);
    // A pass of a growth phase is done.
    void pass_done(const char* phase, long long pass, long long changed);

private:
    Trace& trace_;
    ProgressFn progress_;
    std::chrono::steady_clock::time_point start_;
};

#endif
