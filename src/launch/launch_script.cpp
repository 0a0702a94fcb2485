#include "launch/launch_script.h"

namespace wiz {

LaunchScript::LaunchScript(const TagDocument& document, bool capture)
    : commandTemplate(document.getValue("COMMAND", 0)),
      captureOutput(capture),
      consoleOutput(document.getBool("DISPLAY_CONSOLE", false)),
      autoWorkingDir(document.getBool("AUTO_SET_WORKING_DIR", true)),
      embeddedEntries(true),
      description(document.getValue("DESC", 0)),
      archiveTemplate(document.getValue("ARCHIVE", 0)),
      document_(&document) {}

}  // namespace wiz
