// What the machine can give a run: the memory it has available and the free space of a
// folder's file system, and how such sizes are shown.
// Public: the GIS checks the memory and the disk a flood needs before it starts.
#ifndef TARVEX_RESOURCES_H
#define TARVEX_RESOURCES_H

#include <cstdint>
#include <string>

// The memory this process can still take: the machine's available memory (the kernel's
// MemAvailable, or the free physical pages where it is not given), within what is left of the
// memory limit of the process's control group when it has one.
std::uint64_t available_memory();

// The kernel's figures on which available_memory() rests, given as text, for testing: the
// contents of /proc/meminfo and of the control group's memory.max and memory.current ("" when
// absent). Returns 0 when meminfo gives no usable figure.
std::uint64_t available_memory_from(const std::string& meminfo, const std::string& cgroup_max,
                                    const std::string& cgroup_current);

// The bytes free to an ordinary user in the file system of `folder`; the largest value when it
// cannot be told.
std::uint64_t free_disk_space(const std::string& folder);

// A size in bytes for people: "512 bytes", "3.4 KiB", "1.2 GiB", "97.7 TiB".
std::string size_text(std::uint64_t bytes);

// The product of two counts, saturated at the largest value instead of wrapping.
std::uint64_t saturated_product(std::uint64_t a, std::uint64_t b);

#endif
