// The author's texts: a product name and overrides of the launcher's messages by string id and
// language, read from a TEXTS file (a tag document with one block per language code of
// resources/strings, each line `ID "text"`, and an optional `FALLBACK: en`).
#pragma once

#include <map>
#include <string>

#include "tools/pack_job.h"

namespace wizpack {

// Texts by resource language id, then string id (UTF-8).
using TextOverrides = std::map<unsigned, std::map<int, std::string>>;

// Reads the TEXTS file of the request (none: no overrides) and adds the product's and its
// maker's names (strings 106 and 107) for every language when PRODUCT_NAME is given. Every
// refusal names the manifest line (or option) and the line of the TEXTS file.
TextOverrides readTexts(const BrandingRequest& branding);

// The texts as the document a Linux launcher reads them from (kTextsEntryName).
std::string textsDocument(const TextOverrides& texts);

// The longest text a string resource holds, in UTF-16 units.
constexpr size_t kMaxStringUnits = 65535;

}  // namespace wizpack
