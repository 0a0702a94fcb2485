// Fuzz target: quoting of the pass-through arguments as a round trip. Each argument is quoted and
// appended to a launch command line the way the launch does it, the line is split by the rules
// of CommandLineToArgvW, and every argument must come back exactly as it went in.
//
// Input: the arguments, separated by NUL bytes (a command line cannot carry a NUL).
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "launch/command_line_quote.h"
#include "launch/command_line_split.h"

namespace {

using wiz::LString;

// Expanded launch commands as the launch scripts produce them; the arguments follow them.
const char* const kCommands[] = {
    ("\"C:\\Program Files\\Java\\bin\\java.exe\" -cp \"\";\"C:\\TEMP\\LRE1.tmp\\wizard.jar\";\"\" "
     "SampleWizard"),
    "/opt/jdk/bin/java -Dtemp.dir=\"C:\\TEMP\\\\\" Main",
    "java",
    "\"C:\\jdk\\bin\\java.exe\"",
};

// The fixed part of a command line splits into this many arguments.
int32_t fixedCount(const char* command) { return wiz::splitCommandLine(LString(command)).count(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t choice = data[0] % (sizeof kCommands / sizeof kCommands[0]);
    const std::vector<std::string> arguments = wizfuzz::splitParts(data + 1, size - 1, 64);

    LString command(kCommands[choice]);
    for (const std::string& argument : arguments) {
        const LString quoted = wiz::quoteArgument(LString(argument));
        if (quoted.length() < 2 || quoted[0] != '"' || quoted[quoted.length() - 1] != '"') {
            wizfuzz::finding("quoted argument not in quotes: " + wizfuzz::shown(quoted.str()));
        }
        wiz::appendQuotedArgument(command, LString(argument));
    }

    const wiz::StringList split = wiz::splitCommandLine(command);
    const int32_t first = fixedCount(kCommands[choice]);
    if (split.count() != first + static_cast<int32_t>(arguments.size())) {
        wizfuzz::finding("the command line " + wizfuzz::shown(command.str()) + " splits into " +
                         std::to_string(split.count()) + " arguments, not " +
                         std::to_string(first + arguments.size()));
    }
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& back = split.at(first + static_cast<int32_t>(i)).str();
        if (back != arguments[i]) {
            wizfuzz::finding("argument " + wizfuzz::shown(arguments[i]) + " came back as " +
                             wizfuzz::shown(back) + " from " + wizfuzz::shown(command.str()));
        }
    }
    return 0;
}
