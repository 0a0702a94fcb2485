// Entry points of the JVM discovery: the handlers of the script commands FIND_JVM, VERIFY and
// INSTALL_JVM, which report through the script variables N1, S1 and S2, and the batch actions
// SEARCH, SEARCH_ALL, VERIFY_JVM and INSTALL_JVM of an input document, which print their answers
// on standard output for the program that started the launcher.
//
// Failures leave as LauncherException; each handler documents what it catches itself.
#pragma once

#include <cstdint>

#include "base/lstring.h"

namespace wiz {

// FIND_JVM: searches for a JVM matching one of the registered descriptors. Found (or picked by
// the user when `allowPick`): N1 = 1, S1 = the JVM home, S2 = the path of the JVM file written
// for it; otherwise N1 = 0 and S1, S2 empty.
void findJvm(bool showUi, bool allowPick);

// VERIFY: verifies the embedded JVM descriptor whose file-index id is `fileId`. Valid: N1 = 1
// and S1 = the verified JVM home; otherwise N1 = 0.
void verifyJvmInstruction(bool showUi, bool showFailMessage, int32_t fileId);

// INSTALL_JVM: runs the embedded JVM installer into a temporary directory (mode 0 hidden, 1 with
// progress) or a directory the user chooses (mode 2). N1 = 1 and S1 = the installed JVM's JVM
// file on success; otherwise N1 = 0 and S1 empty.
void installEmbeddedJvm(int32_t mode);

// The batch actions. Their answers go to standard output; the returned value is 0 and is not
// used by the option walk, which treats an escaping LauncherException as the failure.
int searchAction(bool showProgress, bool showFailMsg);
int searchAllAction(bool showProgress, bool showFailMsg);
int verifyJvmAction(bool showProgress, bool showFailMsg, const LString& jvmFile,
                    const LString& jvmHome);
int installJvmAction(bool showProgress, bool showFailMsg, const LString& exe, const LString& dest);

}  // namespace wiz
