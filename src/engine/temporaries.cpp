#include "temporaries.h"

#include <algorithm>
#include <filesystem>

void Temporaries::add(const std::string& path) {
    std::lock_guard<std::mutex> held(mutex_);
    paths_.push_back(path);
}

void Temporaries::forget(const std::string& path) {
    std::lock_guard<std::mutex> held(mutex_);
    forget_held(path);
}

void Temporaries::forget_held(const std::string& path) {
    const auto found = std::find(paths_.begin(), paths_.end(), path);
    if (found != paths_.end()) paths_.erase(found);
}

Temporaries::Work::Work(Temporaries& temporaries) : temporaries_(temporaries) {
    std::lock_guard<std::mutex> held(temporaries_.work_mutex_);
    ++temporaries_.working_;
}

Temporaries::Work::~Work() {
    {
        std::lock_guard<std::mutex> held(temporaries_.work_mutex_);
        --temporaries_.working_;
    }
    temporaries_.work_ended_.notify_all();
}

namespace {

// Removes a file or a folder with all it holds. A folder that something still wrote into
// while it was being removed is not empty at the end: it is tried again a few times.
void remove_whole(const std::string& path) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        std::error_code ignored;  // the process is ending: what cannot be removed stays
        std::filesystem::remove_all(path, ignored);
        if (!std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) return;
    }
}

}  // namespace

void Temporaries::remove_all_and_hold(std::chrono::milliseconds patience) {
    stopping_ = true;
    {
        std::unique_lock<std::mutex> held(work_mutex_);
        work_ended_.wait_for(held, patience, [this] { return working_ == 0; });
    }
    mutex_.lock();  // never unlocked: the process ends by the signal that called this
    for (const std::string& path : paths_) remove_whole(path);
    paths_.clear();
}

std::size_t Temporaries::size() {
    std::lock_guard<std::mutex> held(mutex_);
    return paths_.size();
}
