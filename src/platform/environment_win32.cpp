#include <vector>

#include "platform/environment.h"
#include "platform/win32.h"

namespace wiz {

LString getEnvironmentText(const LString& name) {
    DWORD size = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    // The size includes the terminating NUL: 0 is unset, 1 is empty.
    while (size > 1) {
        std::vector<char> buf(size);
        DWORD got = GetEnvironmentVariableA(name.c_str(), buf.data(), size);
        if (got < size) return LString(buf.data(), got);
        size = got;  // the value grew in between; try again with the new size
    }
    return LString();
}

void setEnvironmentText(const LString& name, const LString& value) {
    SetEnvironmentVariableA(name.c_str(), value.c_str());
}

bool findEnvironmentText(const LString& name, LString& value) {
    SetLastError(ERROR_SUCCESS);
    if (GetEnvironmentVariableA(name.c_str(), nullptr, 0) == 0 &&
        GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
        return false;
    }
    value = getEnvironmentText(name);
    return true;
}

void unsetEnvironmentText(const LString& name) { SetEnvironmentVariableA(name.c_str(), nullptr); }

}  // namespace wiz
