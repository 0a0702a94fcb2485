// C stdio files with RAII.
#pragma once

#include <cstdio>
#include <memory>

#include "base/lstring.h"

namespace wiz {

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// fopen of a path in the system's single-byte code page; null when it cannot be opened.
inline FilePtr openFile(const LString& path, const char* mode) {
    return FilePtr(std::fopen(path.c_str(), mode));
}

// Closes the file and reports whether everything written reached it.
inline bool closeFile(FilePtr f) {
    if (!f) return false;
    return std::fclose(f.release()) == 0;
}

}  // namespace wiz
