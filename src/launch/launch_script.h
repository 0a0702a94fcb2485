// The launch script: the document whose COMMAND template becomes the wizard's command line.
#pragma once

#include "base/lstring.h"
#include "tagdoc/tag_document.h"

namespace wiz {

class LaunchScript {
public:
    // Reads COMMAND, DISPLAY_CONSOLE, AUTO_SET_WORKING_DIR, DESC and ARCHIVE from `document`,
    // which is not owned and must outlive the script. `capture`: the child's output is captured.
    LaunchScript(const TagDocument& document, bool capture);
    LaunchScript(const LaunchScript&) = delete;
    LaunchScript& operator=(const LaunchScript&) = delete;
    virtual ~LaunchScript() = default;

    // The document the script was made from, or null for a script made from a command text.
    const TagDocument* document() const { return document_; }

    LString commandTemplate;
    bool captureOutput = true;
    bool consoleOutput = false;
    bool autoWorkingDir = true;
    bool embeddedEntries = true;
    LString description;
    LString archiveTemplate;
    // Output captured by launches; appended to, never cleared.
    LString stdoutText;
    LString stderrText;

private:
    const TagDocument* document_ = nullptr;
};

}  // namespace wiz
