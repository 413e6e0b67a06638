// The outputs of one tarvex-gis command, all or nothing: each is written under a hidden
// temporary name beside its final one and moved into place by commit() once every one of them
// is complete. A command that fails (or is interrupted by SIGINT, SIGTERM or SIGHUP) before
// its commit leaves no file behind, and replaces none.
#ifndef TARVEX_GIS_OUTPUTS_H
#define TARVEX_GIS_OUTPUTS_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "output_set.h"
#include "temporaries.h"

// The temporaries of this process, removed by the signal cleanup `main` starts.
Temporaries& gis_temporaries();

class GisOutputs {
public:
    // Without `sync`, for outputs inside a folder synced whole before it is moved into place.
    explicit GisOutputs(bool sync = true) : set_(&gis_temporaries(), sync) {}

    // Opens the temporary of the output `path` for writing; fails with the reason.
    std::FILE* create(const std::string& path);
    // The temporary's path of the output `path`, for GDAL, which writes by path.
    std::string reserve(const std::string& path);
    // Writes `size` bytes, or fails naming the output `path`.
    static void write(std::FILE* file, const void* bytes, std::size_t size, const std::string& path);
    // Flushes, syncs and closes a stream from create(); fails when any write did not succeed.
    void close(std::FILE*& file, const std::string& path);
    // A small output written in one go.
    void write_text(const std::string& path, const std::string& text);
    // Moves every output into place.
    void commit();

private:
    OutputSet set_;
};

// Fails unless the folder of `outputs` has `bytes` free: the outputs would not fit.
void check_disk_room(const std::vector<std::string>& outputs, std::uint64_t bytes);

#endif
