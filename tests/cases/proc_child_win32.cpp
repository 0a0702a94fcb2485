// The test child's background start on Windows: CreateProcessA with the test child's standard
// handles, inherited, as the new process's own.
#include <string>

#include "cases/proc_child.h"
#include "platform/handle_win32.h"
#include "platform/win32.h"

namespace wiztest {

bool startInBackground(const std::string& commandLine) {
    std::string line = commandLine;  // CreateProcessA may write into it
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &info)) {
        return false;
    }
    wiz::HandleHolder process(info.hProcess), thread(info.hThread);
    return true;
}

}  // namespace wiztest
