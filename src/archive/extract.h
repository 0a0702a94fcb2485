// Copying embedded files out of the launcher file, and the extract action: every embedded file
// and an "input.tag" into the current directory.
#pragma once

#include <cstdint>

#include "base/lstring.h"

namespace wiz {

// Bytes per progress step: an extraction moves the progress by one step for each started piece
// of this size, however many bytes it reads and writes at a time.
constexpr uint32_t kExtractStepSize = 61439;
// Bytes read and written at a time: a multiple of the systems' page and block sizes, so the
// copy goes straight between the files and the system with one read and one write per block.
constexpr uint32_t kExtractBlockSize = 1024 * 1024;

// Writes every entry of the file index into the current directory, and an "input.tag" that runs
// them again with -cv:in (INSTRUCTIONS, JVM and LAUNCHSCRIPT name the written documents).
void extractAll();

}  // namespace wiz
