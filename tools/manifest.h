// The manifest of a launcher: a tag document that names the launcher executable to pack onto,
// the style byte and the entries (see docs/packing.md).
//
//   LAUNCHER: PATH
//   STYLE: N
//   ENTRIES:
//     TYPE PATH [id=I] [name=NAME] [compressed=COUNT/SIZE]
//   /:
//
// Relative paths are taken from the manifest's folder; ${NAME} in a path is the VALUE of a
// define "NAME=VALUE". Every refusal names the manifest and the line it comes from.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "tools/pack_job.h"

namespace wizpack {

// Reads the manifest at `path`. Throws PackError.
PackJob readManifest(const std::string& path, const std::vector<std::string>& defines);
// The same from an open stream; `path` names the manifest in messages and gives the folder
// that relative paths are taken from.
PackJob readManifest(std::FILE* stream, const std::string& path,
                     const std::vector<std::string>& defines);

// Replaces each ${NAME} of `text` with the VALUE of the define "NAME=VALUE" (the last one of
// that name). Throws PackError for an undefined name or a "${" without its "}".
std::string substitute(const std::string& text, const std::vector<std::string>& defines);

}  // namespace wizpack
