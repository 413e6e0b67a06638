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

void Temporaries::remove_all_and_hold() {
    mutex_.lock();  // never unlocked: the process ends by the signal that called this
    std::error_code ignored;  // the process is ending: what cannot be removed stays
    for (const std::string& path : paths_) std::filesystem::remove_all(path, ignored);
    paths_.clear();
}

std::size_t Temporaries::size() {
    std::lock_guard<std::mutex> held(mutex_);
    return paths_.size();
}
