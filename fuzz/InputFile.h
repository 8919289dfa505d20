#pragma once
// The fuzz input as a file, for the readers that open files by name: one name per process
// (and per count, when the reader must not take it for the file it had).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

inline std::string InputFileName(const char* suffix, int count = 0) {
    return "/tmp/korvid-fuzz-" + std::to_string(getpid()) + "-" + std::to_string(count) + suffix;
}

// False when the file cannot be written.
inline bool WriteInputFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && written;
}
