#include <cstdlib>

#include "platform/environment.h"

namespace wiz {

LString getEnvironmentText(const LString& name) {
    const char* v = std::getenv(name.c_str());
    return v ? LString(v) : LString();
}

void setEnvironmentText(const LString& name, const LString& value) {
    ::setenv(name.c_str(), value.c_str(), 1);
}

}  // namespace wiz
