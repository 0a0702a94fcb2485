// The process-wide state that a launch builds up from the launcher file, put back to how a
// process starts, for tests that run several launches in one process. The classes that hold it
// make ProcessStateForTests their friend: the launcher itself reads its file once per run and has
// no way to start over.
#pragma once

#include "archive/embedded_files.h"
#include "core/file_index.h"
#include "launch/launch_script.h"

namespace wiz {

class ProcessStateForTests {
public:
    // No file index, no embedded files, no remembered style byte, no application archive.
    static void resetLauncherFile() {
        FileIndex::process_.reset();
        EmbeddedFiles::process_.reset();
        EmbeddedFiles::launcherStyle_ = -1;
        LaunchScript::applicationArchive_ = LString();
    }
};

}  // namespace wiz

namespace wiztest {

// Forgets the file index and everything read or extracted from the launcher file.
inline void resetFileIndex() { wiz::ProcessStateForTests::resetLauncherFile(); }

}  // namespace wiztest
