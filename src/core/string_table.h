// The built-in string table: texts by id for the language chosen at start-up.
#pragma once

namespace wiz {

// The text of string `id` in the current language, or null when there is none.
const char* builtinString(int id);

}  // namespace wiz
