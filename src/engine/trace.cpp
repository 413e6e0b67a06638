#include "run_log.h"

#include <cstdarg>

void RunLog::say(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    trace_.say_text(vstrf(fmt, args));
    va_end(args);
}

void RunLog::warn(const std::string& message) {
    trace_.say_text(message);
    trace_.wait_key();
}

void RunLog::fatal(const std::string& message) {
    warn(message);
    throw Stop(message);
}

void RunLog::pass_done(const char* phase, long long pass, long long changed) {
    if (!progress_) return;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
    if (!progress_(Progress{phase, pass, changed, elapsed.count()})) throw Stop(kCancelled);
}
