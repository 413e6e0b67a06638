#include "programs.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "test_support.h"

namespace {

std::string new_folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvex-io-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

// In the child: its folder, limits, streams and environment, then the program.
[[noreturn]] void exec_child(const std::vector<std::string>& argv, const std::string& workdir,
                             const RunOptions& options, int input, const std::string& io) {
    if (chdir(workdir.c_str()) != 0) _exit(126);
    if (options.file_size_limit > 0) {
        const rlimit limit{static_cast<rlim_t>(options.file_size_limit), static_cast<rlim_t>(options.file_size_limit)};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
    }
    for (const auto& [name, value] : options.env) setenv(name.c_str(), value.c_str(), 1);
    if (dup2(input, STDIN_FILENO) < 0) _exit(126);
    if (!freopen((io + "/out").c_str(), "wb", stdout)) _exit(126);
    if (!freopen((io + "/err").c_str(), "wb", stderr)) _exit(126);
    std::vector<std::string> words = options.launcher;
    words.insert(words.end(), argv.begin(), argv.end());
    std::vector<char*> args;
    for (const std::string& a : words) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

}  // namespace

RunningProgram::RunningProgram(const std::vector<std::string>& argv, const std::string& workdir,
                               const RunOptions& options)
    : io_(new_folder()), time_limit_(options.time_limit) {
    int pipe_ends[2];
    if (pipe2(pipe_ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    pid_ = fork();
    if (pid_ == 0) exec_child(argv, workdir, options, pipe_ends[0], io_);
    close(pipe_ends[0]);
    answers_ = pipe_ends[1];
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (answers_ >= 0) close(answers_);
    std::error_code ec;
    std::filesystem::remove_all(io_, ec);
}

void RunningProgram::answer(const std::string& text) {
    // A program that has ended reads no more: its answers are dropped, not a SIGPIPE here.
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(answers_, text.data() + done, text.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    std::signal(SIGPIPE, previous);
}

bool RunningProgram::wait_for_output(const std::string& text, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (read_file(io_ + "/out").find(text) != std::string::npos) return true;
        siginfo_t ended{};
        if (waitid(P_PID, static_cast<id_t>(pid_), &ended, WEXITED | WNOHANG | WNOWAIT) != 0 || ended.si_pid != 0) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

void RunningProgram::signal(int sig) { kill(pid_, sig); }

RunResult RunningProgram::finish(bool answers_end_first) {
    if (answers_end_first && answers_ >= 0) close(answers_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(time_limit_);
    int wstatus = 0;
    while (waitpid(pid_, &wstatus, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);  // hung: fail the test rather than the suite
            waitpid(pid_, &wstatus, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    pid_ = -1;
    if (answers_ >= 0) close(answers_);
    answers_ = -1;
    RunResult result;
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    result.out = read_file(io_ + "/out");
    result.err = read_file(io_ + "/err");
    return result;
}

RunResult run_command(const std::vector<std::string>& argv, const std::string& workdir) {
    RunningProgram program(argv, workdir, RunOptions{});
    return program.finish();
}

std::unique_ptr<RunningProgram> start_tarvex(const std::string& workdir, const std::string& images,
                                             RunOptions options) {
    options.env.emplace_back("TARVEX_IMAGES", images);
    return std::make_unique<RunningProgram>(std::vector<std::string>{TARVEX_BIN}, workdir, options);
}

RunResult run_tarvex(const std::string& workdir, const std::string& images, const std::string& answers,
                     const RunOptions& options) {
    std::unique_ptr<RunningProgram> program = start_tarvex(workdir, images, options);
    program->answer(answers);
    return program->finish();
}
