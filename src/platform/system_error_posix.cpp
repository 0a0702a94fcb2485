#include <system_error>

#include "platform/system_error.h"

namespace wiz {

LString rawSystemErrorText(uint32_t code) {
    return LString(std::system_category().message(static_cast<int>(code)));
}

}  // namespace wiz
