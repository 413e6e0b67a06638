#include "resources.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <utility>
#include <vector>

namespace {

constexpr std::uint64_t kUnlimited = std::numeric_limits<std::uint64_t>::max();

std::string read_small_file(const std::string& path) {
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The value of a "Name:   1234 kB" line of meminfo, in bytes; 0 when absent.
std::uint64_t meminfo_field(const std::string& meminfo, const std::string& name) {
    std::istringstream lines(meminfo);
    for (std::string line; std::getline(lines, line);) {
        if (line.compare(0, name.size() + 1, name + ":") != 0) continue;
        std::istringstream fields(line.substr(name.size() + 1));
        std::uint64_t kib = 0;
        if (fields >> kib) return saturated_product(kib, 1024);
    }
    return 0;
}

// A control group figure: a number of bytes, or "max" for none.
std::uint64_t cgroup_bytes(const std::string& text) {
    std::istringstream in(text);
    std::uint64_t value = 0;
    return (in >> value) ? value : kUnlimited;
}

std::uint64_t free_physical_memory() {
    const long pages = sysconf(_SC_AVPHYS_PAGES), size = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || size <= 0) return kUnlimited;
    return saturated_product(static_cast<std::uint64_t>(pages), static_cast<std::uint64_t>(size));
}

}  // namespace

std::uint64_t saturated_product(std::uint64_t a, std::uint64_t b) {
    if (a != 0 && b > kUnlimited / a) return kUnlimited;
    return a * b;
}

std::uint64_t available_memory_from(const std::string& meminfo, const std::string& cgroup_max,
                                    const std::string& cgroup_current) {
    std::uint64_t available = meminfo_field(meminfo, "MemAvailable");
    if (available == 0) available = meminfo_field(meminfo, "MemFree");
    if (!cgroup_max.empty()) {
        const std::uint64_t limit = cgroup_bytes(cgroup_max), used = cgroup_bytes(cgroup_current);
        if (limit != kUnlimited && used != kUnlimited) available = std::min(available, limit > used ? limit - used : 0);
    }
    return available;
}

// The memory limit and use of the process's control group, as the kernel gives them: version 2
// ("0::/path" in /proc/self/cgroup: memory.max, memory.current) or version 1 ("N:memory:/path":
// memory.limit_in_bytes, memory.usage_in_bytes). In a container the group's own folder is often
// the root of the hierarchy, so that is tried too. Empty texts when there is no group.
static std::pair<std::string, std::string> cgroup_memory() {
    std::istringstream lines(read_small_file("/proc/self/cgroup"));
    std::vector<std::pair<std::string, std::string>> candidates;  // limit file, usage file
    for (std::string line; std::getline(lines, line);) {
        const std::size_t colon = line.find(':'), second = line.find(':', colon + 1);
        if (colon == std::string::npos || second == std::string::npos) continue;
        const std::string controllers = line.substr(colon + 1, second - colon - 1), path = line.substr(second + 1);
        if (controllers.empty()) {
            for (const std::string& folder : {"/sys/fs/cgroup" + path, std::string("/sys/fs/cgroup")}) {
                candidates.emplace_back(folder + "/memory.max", folder + "/memory.current");
            }
        } else if (controllers == "memory") {
            for (const std::string& folder : {"/sys/fs/cgroup/memory" + path, std::string("/sys/fs/cgroup/memory")}) {
                candidates.emplace_back(folder + "/memory.limit_in_bytes", folder + "/memory.usage_in_bytes");
            }
        }
    }
    for (const auto& [limit, usage] : candidates) {
        std::string max = read_small_file(limit);
        if (!max.empty()) return {max, read_small_file(usage)};
    }
    return {"", ""};
}

std::uint64_t available_memory() {
    const auto [limit, usage] = cgroup_memory();
    const std::uint64_t from_kernel = available_memory_from(read_small_file("/proc/meminfo"), limit, usage);
    return from_kernel != 0 ? from_kernel : free_physical_memory();
}

std::uint64_t free_disk_space(const std::string& folder) {
    struct statvfs s {};
    if (statvfs(folder.c_str(), &s) != 0) return kUnlimited;
    return saturated_product(s.f_bavail, s.f_frsize);
}

std::string size_text(std::uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + " bytes";
    const char* const units[] = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    double value = static_cast<double>(bytes) / 1024.0;
    int unit = 0;
    while (value >= 1024.0 && unit < 5) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    return text;
}
