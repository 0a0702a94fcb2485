// The JVM actions are not part of this build yet. Each entry point fails with a message that
// names the missing capability, so a script or an input document that asks for one stops with a
// clear error instead of continuing as if a JVM had been found, verified or installed; the
// script variables are left untouched.
#include "jvm/jvm_actions.h"

#include "base/exceptions.h"

namespace wiz {

namespace {
[[noreturn]] void unavailable(const char* capability) {
    throw LauncherException(LString(capability) + " is not available in this build.");
}
}  // namespace

void findJvm(bool, bool) { unavailable("The JVM search"); }

void verifyJvmInstruction(bool, bool, int32_t) { unavailable("The JVM verification"); }

void installEmbeddedJvm(int32_t) { unavailable("The JVM installation"); }

int searchAction(bool, bool) { unavailable("The JVM search"); }

int searchAllAction(bool, bool) { unavailable("The JVM search"); }

int verifyJvmAction(bool, bool, const LString&, const LString&) {
    unavailable("The JVM verification");
}

int installJvmAction(bool, bool, const LString&, const LString&) {
    unavailable("The JVM installation");
}

}  // namespace wiz
