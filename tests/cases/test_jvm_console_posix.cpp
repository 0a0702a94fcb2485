#include "test_jvm_console.h"

void ignoreCtrlBreak() {}
void exitOnCtrlC(int) {}
