#pragma once
// A temporary folder for a benchmark's files, removed when the program ends.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

inline std::string MakeScratchFolder() {
    std::string d = (std::filesystem::temp_directory_path() / "velloq-bench-XXXXXX").string();
    if (!::mkdtemp(d.data())) std::abort();
    static std::string made;
    made = d;
    std::atexit([] { std::filesystem::remove_all(made); });
    return d;
}
