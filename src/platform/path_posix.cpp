#include "platform/path.h"

namespace wiz {

const bool kPathsIgnoreCase = false;
const char kPathSeparator = '/';

}  // namespace wiz
