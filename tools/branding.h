// The author's branding of a Windows launcher: the icon, the version information, the execution
// level of the manifest and the product's texts, written into the resources of the executable
// that is packed onto. Every value is checked before anything is changed; a refusal names the
// place the value was given (manifest line or option).
#pragma once

#include <string>

#include "tools/pack_job.h"
#include "tools/pe_resources.h"

namespace wizpack {

// Checks every value of the request that can be checked without the base (numbers, names,
// texts, the icon file); throws PackError naming its origin.
void checkBranding(const BrandingRequest& branding);

// The base executable with the request's branding in its resources. `outputName` is the file
// name of the packed launcher (OriginalFilename, InternalName).
Bytes brandExecutable(const Bytes& base, const BrandingRequest& branding,
                      const std::string& outputName);

// The parts of a VERSION value "a.b.c.d" (fewer parts padded with 0); refuses a part that is not
// a number 0..65535.
void parseVersion(const std::string& text, uint16_t parts[4]);

// The images of an .ico file, as the icon group of an executable needs them.
struct IconImage {
    uint8_t width, height, colors;
    uint16_t planes, bitCount;
    Bytes data;
};
std::vector<IconImage> readIcon(const Bytes& file);

}  // namespace wizpack
