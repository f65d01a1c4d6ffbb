#pragma once

// Helpers the fuzz targets share: a failed check ends the run with a message
// libFuzzer keeps beside the input, and files live in a folder of their own.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fuzz_support {

namespace fs = std::filesystem;

inline void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

// A fresh folder for this process's files, in memory (/dev/shm) where there
// is one: on a disk, creating and renaming files costs more than the rest.
inline std::string TempFolder(const char* prefix) {
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? "/dev/shm" : fs::temp_directory_path();
    std::string folder = (base / prefix).string() + "-XXXXXX";
    Check(mkdtemp(folder.data()) != nullptr, "mkdtemp");
    return folder;
}

inline std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace fuzz_support
