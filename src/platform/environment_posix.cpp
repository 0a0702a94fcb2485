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

bool findEnvironmentText(const LString& name, LString& value) {
    const char* v = std::getenv(name.c_str());
    if (!v) return false;
    value = v;
    return true;
}

void unsetEnvironmentText(const LString& name) { ::unsetenv(name.c_str()); }

}  // namespace wiz
