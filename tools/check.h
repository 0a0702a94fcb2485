// The checks of the tag documents a launcher is packed with: each instruction script, JVM
// descriptor and launch script entry is read the way the launcher will read it, and what the
// launcher would reject at run time is reported as FILE:LINE: message.
#pragma once

#include <cstdio>

#include "tools/pack_job.h"

namespace wizpack {

// Checks every document entry of the job; warnings and errors go to `report`, one line each.
// Throws PackError (naming the count of errors) when any document has an error.
void checkDocuments(const PackJob& job, std::FILE* report);

}  // namespace wizpack
