// What a run tells the world while it works: its console trace, with the pauses the console
// makes for the user after some of its lines, and its progress. Public: a caller of run()
// gives it a trace and a progress callback.
#ifndef TARVEX_TRACE_H
#define TARVEX_TRACE_H

#include <functional>
#include <string>

#include "stop.h"

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

// How far a run has got: as each stage begins ("wave", "path tracing", "river construction",
// "flooding"), pass 0; after each pass of a growth stage ("river construction", "flooding"),
// the pass's number from 1 and the cells it changed; with the time since the run began.
struct Progress {
    const char* phase;
    long long pass;
    long long changed;
    double seconds;
};
// Returns whether the run goes on: false cancels it.
using ProgressFn = std::function<bool(const Progress&)>;

// The message of the Stop that ends a cancelled run.
inline constexpr const char* kCancelled = "cancelled";

#endif
