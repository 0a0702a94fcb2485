#include "test_jvm_break.h"

void ignoreCtrlBreak() {}
