// The one error of a run: a fatal stop. It carries the message the run ended with (already
// shown to the user by the console); only `main` turns it into an exit status.
// Public: run() and the result files stop with it (engine.h).
#ifndef TARVEX_STOP_H
#define TARVEX_STOP_H

#include <stdexcept>
#include <string>

class Stop : public std::runtime_error {
public:
    explicit Stop(const std::string& message) : std::runtime_error(message) {}
};

#endif
