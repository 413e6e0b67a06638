// The files a process must remove when it is interrupted: temporaries of results not yet
// committed (files, or folders with all they hold), and the locks of result names. The threads that create them register them here;
// the thread that handles the interrupting signals removes them. A commit renames its files
// while holding the registry, so an interruption sees all of a set's temporaries or none.
#ifndef TARVEX_TEMPORARIES_H
#define TARVEX_TEMPORARIES_H

#include <mutex>
#include <string>
#include <vector>

class Temporaries {
public:
    Temporaries() = default;
    Temporaries(const Temporaries&) = delete;
    Temporaries& operator=(const Temporaries&) = delete;

    void add(const std::string& path);
    void forget(const std::string& path);

    // Runs `work` with the registry held: no interruption removes files meanwhile. `work` gets
    // a function that forgets a path without taking the registry again.
    template <typename Work>
    void while_held(Work work) {
        std::lock_guard<std::mutex> held(mutex_);
        work([this](const std::string& path) { forget_held(path); });
    }

    // Removes every file still registered, and keeps the registry held for good: the process
    // is ending, and no new temporary may appear after this.
    void remove_all_and_hold();

    std::size_t size();

private:
    void forget_held(const std::string& path);

    std::mutex mutex_;
    std::vector<std::string> paths_;
};

#endif
