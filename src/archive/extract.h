// Copying embedded files out of the launcher file, and the extract action: every embedded file
// and an "input.tag" into the current directory.
#pragma once

#include <cstdint>

#include "base/lstring.h"

namespace wiz {

// Bytes copied per step (one progress step each).
constexpr uint32_t kExtractBufferSize = 61439;

// Writes every entry of the file index into the current directory, and an "input.tag" that runs
// them again with -cv:in (INSTRUCTIONS, JVM and LAUNCHSCRIPT name the written documents).
void extractAll();

}  // namespace wiz
