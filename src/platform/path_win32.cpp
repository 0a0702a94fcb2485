#include "platform/path.h"

namespace wiz {

const bool kPathsIgnoreCase = true;
const char kPathSeparator = '\\';

}  // namespace wiz
