// Helpers of the fuzz targets that hand each input to a reader as a real data file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// A private program folder for the target's files, made once per process: in memory
// (/dev/shm) where the system has it, since a file is written and renamed for every input.
inline const std::string& FuzzFolder(const char* target) {
    static const std::string folder = [target] {
        for (const char* base : {"/dev/shm/", "/tmp/"}) {
            std::string pattern = std::string(base) + "tessaroc-fuzz-" + target + "-XXXXXX";
            if (mkdtemp(pattern.data()) != nullptr) return pattern + "/";
        }
        std::abort();
    }();
    return folder;
}

// Writes the input as the file at path.
inline void WriteFuzzFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    // The empty input comes with no buffer at all: nothing to write.
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

// Stops the run (a finding) when a property of the reader does not hold.
inline void FuzzCheck(bool condition) {
    if (!condition) std::abort();
}
