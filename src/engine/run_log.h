// How a run's stages tell the world what they do: the trace, the progress, and the stops.
#ifndef TARVEX_RUN_LOG_H
#define TARVEX_RUN_LOG_H

#include <chrono>
#include <string>

#include "stop.h"
#include "text.h"
#include "trace.h"

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
    // A stage begins.
    void stage(const char* phase) { pass_done(phase, 0, 0); }
    // A pass of a growth stage is done. Throws Stop(kCancelled) when the progress callback
    // cancels the run.
    void pass_done(const char* phase, long long pass, long long changed);

private:
    Trace& trace_;
    ProgressFn progress_;
    std::chrono::steady_clock::time_point start_;
};

#endif
