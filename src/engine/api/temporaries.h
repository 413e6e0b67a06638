// The files a process must remove when it is interrupted: temporaries of results not yet
// committed (files, or folders with all they hold), and the locks of result names. The threads that create them register them here;
// the thread that handles the interrupting signals removes them. A commit renames its files
// while holding the registry, so an interruption sees all of a set's temporaries or none.
// Public: output sets and signal cleanup share it, in the GIS as in the console.
#ifndef TARVEX_TEMPORARIES_H
#define TARVEX_TEMPORARIES_H

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

// An object that stays where it was made (others hold it by reference, or a thread works on
// it): it is neither copied nor moved.
class Pinned {
public:
    Pinned(const Pinned&) = delete;
    Pinned& operator=(const Pinned&) = delete;

protected:
    Pinned() = default;
    ~Pinned() = default;
};

class Temporaries : Pinned {
public:
    Temporaries() = default;

    void add(const std::string& path);
    void forget(const std::string& path);

    // The registry while held: held(path) forgets a path, held.add(path) registers one.
    class Held {
    public:
        explicit Held(Temporaries& temporaries) : temporaries_(temporaries) {}
        void operator()(const std::string& path) const { temporaries_.forget_held(path); }
        void add(const std::string& path) const { temporaries_.paths_.push_back(path); }

    private:
        Temporaries& temporaries_;
    };

    // Runs `work` with the registry held: no interruption removes files meanwhile. `work` gets
    // the registry as Held, to forget or register paths without taking it again.
    template <typename Fn>
    void while_held(Fn work) {
        std::lock_guard<std::mutex> held(mutex_);
        work(Held(*this));
    }

    // Work that writes into the registered temporaries (a flood, a level of a library), for as
    // long as it lives. An interruption asks it to stop and waits for it to end before removing
    // anything: a file it wrote after the removal would otherwise bring a folder back.
    class Work : Pinned {
    public:
        explicit Work(Temporaries& temporaries);
        ~Work();

    private:
        Temporaries& temporaries_;
    };

    // True once an interruption has begun: work still going should stop at once.
    bool stopping() const { return stopping_; }

    // Asks the work going on to stop and waits for it (`patience` at the most), then removes
    // every file still registered, and keeps the registry held for good: the process is
    // ending, and no new temporary may appear after this.
    void remove_all_and_hold(std::chrono::milliseconds patience = std::chrono::seconds(20));

    std::size_t size();

private:
    void forget_held(const std::string& path);

    std::mutex mutex_;
    std::vector<std::string> paths_;
    std::atomic<bool> stopping_{false};
    std::mutex work_mutex_;
    std::condition_variable work_ended_;
    int working_ = 0;
};

#endif
