// Environment variables of this process (inherited by the children it starts).
#pragma once

#include "base/lstring.h"

namespace wiz {

// The variable's value, or empty text when it is unset or empty.
LString getEnvironmentText(const LString& name);
// Sets the variable for this process and the children it starts.
void setEnvironmentText(const LString& name, const LString& value);

// Whether the variable is set (possibly to empty text), and its value.
bool findEnvironmentText(const LString& name, LString& value);
// Removes the variable from this process's environment.
void unsetEnvironmentText(const LString& name);

}  // namespace wiz
