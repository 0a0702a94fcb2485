// The actions of the instruction script as the launcher carries them out: the JVM actions with
// the file index's JVM searcher, and the launches with its launch script.
#pragma once

#include "script/interpreter.h"

namespace wiz {

ScriptActions& launcherActions();

}  // namespace wiz
