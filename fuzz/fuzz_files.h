#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

// Scratch files of one fuzzing process, on a memory file system when there is one.
namespace fuzzfiles {

inline std::string dir() {
    static const std::string d = [] {
        const std::filesystem::path base = std::filesystem::exists("/dev/shm")
                                               ? "/dev/shm"
                                               : std::filesystem::temp_directory_path();
        const std::filesystem::path p = base / ("dn_fuzz_" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        return p.string();
    }();
    // Removes the folder when the fuzzer ends.
    static const struct Cleanup {
        ~Cleanup() {
            std::error_code ec;
            std::filesystem::remove_all(d, ec);
        }
    } cleanup;
    return d;
}

inline void write(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
}

} // namespace fuzzfiles
