#include "platform/path.h"

namespace wiz {

const char kPathSeparator = '\\';

}  // namespace wiz
