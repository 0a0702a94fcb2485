// Facts about the running launcher process.
#pragma once

#include "base/lstring.h"

namespace wiz {

// The full path of the running executable file (the launcher file that carries the payload);
// empty when the system cannot tell.
LString modulePath();

}  // namespace wiz
