// The launcher host interface, the process-wide UI facade that every subsystem reports through,
// and the run sequence shared by the console and windowed hosts.
#pragma once

#include <cstdint>

#include "base/lstring.h"
#include "base/ptrlist.h"

namespace wiz {

// The command-line arguments, argument 0 (the program path) included.
class ArgumentList {
public:
    void append(const LString& arg) { args_.append(arg); }
    int count() const { return args_.count(); }
    // The characters of argument i, or null when i is outside 0..count-1.
    const char* at(int i) const {
        return i >= 0 && i < count() ? args_.at(i).c_str() : nullptr;
    }
    const StringList& list() const { return args_; }

private:
    StringList args_;
};

// What the launch logic needs from a user interface. The operation order matches the hosts'
// implementations (console and windowed).
class LauncherHost {
public:
    virtual ~LauncherHost() = default;
    // `instance` is the module handle (null on POSIX); false stops the program with exit code -1.
    virtual bool initialize(void* instance, int showCommand) = 0;
    virtual int run() = 0;
    virtual void setStatus(const LString& text) = 0;
    virtual void setStatus2(const LString& line1, const LString& line2) = 0;
    virtual void stepProgress(int delta) = 0;
    virtual void setProgress(int percent) = 0;
    virtual void show() = 0;
    virtual void hide(int seconds) = 0;
    virtual bool isVisible() = 0;
    virtual void showMessage(const LString& text) = 0;
    virtual LString getTitle() = 0;
    virtual void setTitle(const LString& text) = 0;
    virtual LString chooseDirectory() = 0;
};

// Process-wide state of the start-up and the facade.
extern bool isWin9x;
extern LauncherHost* currentHost;
extern bool silentMode;
// Text the last launch of the wizard left for display at exit (its captured error output).
extern LString exitMessage;

// The UI facade. Each call forwards to currentHost and does nothing in silent mode, except
// where noted.
void uiSetStatusType(int type);
void uiSetStatusLine2(int type, const LString& text);
void uiStepProgress(int delta);
void uiSetProgress(int percent);
void uiShow();                    // in silent mode: hide(0)
void uiHide(int seconds);         // acts in silent mode too
void uiShowMessage(const LString& text);  // also nothing without a host
LString uiChooseDirectory();      // empty in silent mode
void uiApplyTitle(const LString& text);  // sets the standard title; acts in silent mode too
void setSilent(bool flag);

// Resets the stored status state (tests start each case from a fresh state).
void resetStatusState();

// Snapshot of the second status line, put back after a nested search.
class StatusLine2Saver {
public:
    StatusLine2Saver();
    void restore() const;

private:
    int type_;
    LString text_;
};

// Host factories. The console host is portable; the windowed host is the progress window on
// Windows and the console host on POSIX (which has no window system dependency).
LauncherHost* createConsoleHost(ArgumentList& args);
LauncherHost* createWindowedHost(ArgumentList& args);

// How a host shows the exit message of runLaunch.
enum class ExitMessageRoute { HostShowMessage, Facade };

// The run sequence of both hosts: launchFlow inside a clean-up scope, then the exit message
// rule. `beforeExitMessage` runs after the launch (the windowed host stops its timers there).
int runLaunch(LauncherHost& host, const ArgumentList& args, ExitMessageRoute route,
              void (*beforeExitMessage)() = nullptr);
// The exit-message rule of runLaunch: a non-empty exitMessage is shown after a non-zero result,
// except for the result 1000 with the launcher style byte 0 or 2.
bool showsExitMessage(int result, int32_t style);

}  // namespace wiz
