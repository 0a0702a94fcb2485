// Windows: a console control handler, which the system calls on a thread of its own. A child on
// the launcher's console got the event itself and is given the time the system allows for the
// event to end; a child without the console is ended at once. The exit code is the child's when
// it ended in time, otherwise STATUS_CONTROL_C_EXIT, the code of a console program ended by
// Ctrl+C.
#include "core/run_ending.h"
#include "platform/win32.h"

namespace wiz {

namespace {

// The system ends a process that has not returned from the handler after about 5 seconds for
// the console being closed, logoff and shutdown; there is no limit for Ctrl+C and Ctrl+Break.
constexpr unsigned kCtrlGraceMs = 10000;
constexpr unsigned kCloseGraceMs = 3000;

bool windowedHost = false;

BOOL WINAPI onConsoleEvent(DWORD event) {
    RunEnding ending;
    ending.exitCode = static_cast<int>(STATUS_CONTROL_C_EXIT);
    ending.childCodeWins = true;
    ending.children.signal = 0;
    ending.children.sentToGroup = true;
    switch (event) {
        case CTRL_C_EVENT:
            ending.event = "Ctrl+C";
            ending.children.graceMs = kCtrlGraceMs;
            break;
        case CTRL_BREAK_EVENT:
            ending.event = "Ctrl+Break";
            ending.children.graceMs = kCtrlGraceMs;
            break;
        case CTRL_CLOSE_EVENT:
            ending.event = "the console being closed";
            ending.children.graceMs = kCloseGraceMs;
            break;
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            // The windowed host removes the temporary files itself when the logon ends.
            if (windowedHost) return FALSE;
            ending.event = event == CTRL_LOGOFF_EVENT ? "logoff" : "shutdown";
            ending.children.graceMs = kCloseGraceMs;
            break;
        default:
            return FALSE;
    }
    endRun(ending);
    // The run had finished: the process is ending by itself.
    return TRUE;
}

}  // namespace

struct RunEndingWatch::Impl {};

RunEndingWatch::RunEndingWatch(bool windowed) {
    windowedHost = windowed;
    if (SetConsoleCtrlHandler(onConsoleEvent, TRUE)) impl_.reset(new Impl);
}

RunEndingWatch::~RunEndingWatch() {
    if (impl_) SetConsoleCtrlHandler(onConsoleEvent, FALSE);
}

}  // namespace wiz
