// Running built programs as a user does: answers on standard input, both output streams
// captured, in a folder of the test's, with a time limit so that a hang fails the test instead
// of blocking the suite.
#ifndef TARVEX_TEST_PROGRAMS_H
#define TARVEX_TEST_PROGRAMS_H

#include <sys/types.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

struct RunResult {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
};

struct RunOptions {
    // Above 0, files may grow to that many bytes: writes beyond fail as on a disk that is full.
    long file_size_limit = 0;
    // A program and its words that start the run (setpriv to run it as another user).
    std::vector<std::string> launcher;
    // A run still going after that many seconds is killed (status 137).
    int time_limit = 300;
    std::vector<std::pair<std::string, std::string>> env;
};

// A program running in the background: its answers come through a pipe as a user types them,
// and it can be signalled while it runs. Killed, if still running, when it goes.
class RunningProgram {
public:
    RunningProgram(const std::vector<std::string>& argv, const std::string& workdir, const RunOptions& options);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    void answer(const std::string& text);
    // Waits until its standard output holds `text`; false after `seconds` or when it ended.
    bool wait_for_output(const std::string& text, int seconds);
    void signal(int sig);
    // Ends its answers and waits for its end (within the time limit). With `answers_end_first`
    // false, the answers end only once it has ended: after a signal, it must not see the end of
    // its input before the signal.
    RunResult finish(bool answers_end_first = true);

private:
    std::string io_;  // a folder for its output streams
    pid_t pid_ = -1;
    int answers_ = -1;  // the writing end of its standard input
    int time_limit_;
};

// Runs a command (argv[0] a path) in `workdir` with no input; captures both output streams.
RunResult run_command(const std::vector<std::string>& argv, const std::string& workdir);

// Runs the built program in `workdir` with TARVEX_IMAGES pointing at `images`, the answers on
// standard input (not a terminal, so key waits return at once).
RunResult run_tarvex(const std::string& workdir, const std::string& images, const std::string& answers,
                     const RunOptions& options = {});

// The same, in the background.
std::unique_ptr<RunningProgram> start_tarvex(const std::string& workdir, const std::string& images,
                                             RunOptions options = {});

#endif
