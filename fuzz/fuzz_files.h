// Helpers of the fuzz targets that hand each input to a reader as a real data file.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform_state.h"

// Makes the folder a portable program folder (its sheets' folder beside the program), which
// keeps its data files itself, not in the per-user folder.
inline void MakeFolderPortable(const std::string& folder) {
    mkdir((folder + "GFX").c_str(), 0700);
}

// A private program folder for the target's files, made once per process: in memory
// (/dev/shm) where the system has it, since a file is written and renamed for every input.
inline const std::string& FuzzFolder(const char* target) {
    static const std::string folder = [target] {
        for (const char* base : {"/dev/shm/", "/tmp/"}) {
            std::string pattern = std::string(base) + "tessaroc-fuzz-" + target + "-XXXXXX";
            if (mkdtemp(pattern.data()) != nullptr) {
                MakeFolderPortable(pattern + "/");
                return pattern + "/";
            }
        }
        std::abort();
    }();
    return folder;
}

// Before each input: the copy that the previous input's damaged file left, so that every
// input finds the name free.
inline void RemoveDamagedCopy(const std::string& path) {
    unlink((path + ".damaged").c_str());
}

// Writes the input as the file at path, with plain system calls (no stdio buffer).
inline void WriteFuzzFile(const std::string& path, const uint8_t* data, size_t size) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) std::abort();
    // The empty input comes with no buffer at all: nothing to write.
    for (size_t done = 0; done < size;) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n <= 0) std::abort();
        done += size_t(n);
    }
    close(fd);
}

// Before each input: the platform core as a fresh start-up has it, with the program folder
// set. The full reset runs for the first input only; later inputs only drop the data files
// the previous one left open, uncommitted (the reading is fuzzed, not the saving), so that
// the data folder is not chosen again and the core's large records are not rebuilt.
inline void PrepareFuzzPlatform(const std::string& folder) {
    static const bool ready = [&folder] {
        ResetPlatformState();
        SetProgramFolder(folder);
        return true;
    }();
    (void)ready;
    for (DataFileRecord& file : DataFiles.files)
        file = DataFileRecord{};
    DataFiles.current = -1;
}

// AddressSanitizer's quarantine of freed memory held to 16 MiB instead of 256: every input
// frees a few hundred small strings, and with the full quarantine each new one lands on
// memory never touched before, so page faults took a sixth of the time. A use after free is
// still caught within the last 16 MiB of frees, far more than one input makes.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16";
}

// Stops the run (a finding) when a property of the reader does not hold.
inline void FuzzCheck(bool condition) {
    if (!condition) std::abort();
}
