// Entry points of the JVM discovery: the handlers of the script commands FIND_JVM, VERIFY and
// INSTALL_JVM, which report through the script variables N1, S1 and S2, and the batch actions
// SEARCH, SEARCH_ALL, VERIFY_JVM and INSTALL_JVM of an input document, which print their answers
// on standard output for the program that started the launcher.
//
// Failures leave as LauncherException; each handler documents what it catches itself.
#pragma once

#include <cstdint>

#include "base/lstring.h"
#include "jvm/jvm_searcher.h"
#include "tagdoc/tag_document.h"

namespace wiz {

// FIND_JVM: searches for a JVM matching one of the registered descriptors. Found (or picked by
// the user when `allowPick`): N1 = 1, S1 = the JVM home, S2 = the path of the JVM file written
// for it; otherwise N1 = 0 and S1, S2 empty.
void findJvm(JvmSearcher& searcher, bool showUi, bool allowPick);

// VERIFY: verifies the embedded JVM descriptor whose file-index id is `fileId`. Valid: N1 = 1
// and S1 = the verified JVM home; otherwise N1 = 0.
void verifyJvmInstruction(JvmSearcher& searcher, bool showUi, bool showFailMessage, int32_t fileId);
// Verifies `document` at `home` (empty: at the document's own JVM_HOME).
void verifyDescriptor(JvmSearcher& searcher, bool showUi, bool showFailMessage,
                      TagDocument& document, const LString& home);

// INSTALL_JVM: runs the embedded JVM installer into a temporary directory (mode 0 hidden, 1 with
// progress) or a directory the user chooses (mode 2). N1 = 1 and S1 = the installed JVM's JVM
// file on success; otherwise N1 = 0 and S1 empty.
void installEmbeddedJvm(int32_t mode);

// The user's pick of a java program, after a search that found nothing. The program is verified
// with the searcher's descriptors like any candidate (taken as it is when there are none); a
// pick that fails is refused with what is required, and the user may pick once more.
void pickJvmByDialog(JvmSearcher& searcher);

// The batch actions. Their answers go to standard output.
void searchAction(JvmSearcher& searcher, bool showProgress, bool showFailMsg);
void searchAllAction(JvmSearcher& searcher, bool showProgress, bool showFailMsg);
void verifyJvmAction(JvmSearcher& searcher, bool showProgress, bool showFailMsg,
                     const LString& jvmFile, const LString& jvmHome);
void installJvmAction(bool showProgress, const LString& command, const LString& destination);

}  // namespace wiz
