// C stdio files with RAII.
#pragma once

#include <cstdint>
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

// Creates the file at `path`, or empties an existing one, for writing (text or binary), without
// ever writing through a link: when `path` is a link (a symbolic link or a junction), a file
// with more than one name (a hard link, whose other names may be anywhere), or not a regular
// file at all (a FIFO, a device), it is left as it is, without waiting for anything, and the
// result is null with `isLink` set. Null with the C library's error number in `error` for any
// other failure, as fopen would set it (file_posix.cpp, file_win32.cpp).
FilePtr createFileNoLink(const LString& path, bool text, bool& isLink, uint32_t& error);
// The same for appending to the file at `path` (created when missing), in text mode.
FilePtr appendFileNoLink(const LString& path, bool& isLink);

// Closes the file and reports whether everything written reached it.
inline bool closeFile(FilePtr f) {
    if (!f) return false;
    return std::fclose(f.release()) == 0;
}

}  // namespace wiz
