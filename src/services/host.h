// The launcher host interface, the process-wide state of the start-up, and the UI facade that
// every subsystem reports through.
#pragma once

#include <atomic>

#include "base/lstring.h"
#include "services/string_ids.h"

namespace wiz {

// What the launch logic needs from a user interface. The operation order matches the hosts'
// implementations (console and windowed).
class LauncherHost {
public:
    virtual ~LauncherHost() = default;
    // `instance` is the module handle (null on POSIX). False: the host cannot run here; the
    // entry point then runs the console host instead (or ends with -1 if that fails too).
    virtual bool initialize(void* instance, int showCommand) = 0;
    // Why initialize returned false, for the log; empty when it did not.
    virtual LString initializeFailure() const { return LString(); }
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
    // Another program is about to write to the console the host writes to: a line the host has
    // begun (a row of progress dots) is ended, so that the program's output starts a line of its
    // own. Hosts without a console do nothing.
    virtual void endPartialLine() {}
};

// Process-wide state of the start-up and the facade.
//
// Threads: with the windowed host a worker thread performs the launch while the user-interface
// thread runs the progress window. The UI thread reads `host` and `silent` (its timers, the end
// of the logon) and writes `cancelRequested` (the dialog was closed); the worker writes `silent`
// (the options) and polls `cancelRequested`. These three are atomics. The other members are set
// by the entry point before any thread starts, or used by the launching thread alone.
struct HostState {
    // The one host; owned by the entry point, null before it exists and after it is gone.
    std::atomic<LauncherHost*> host{nullptr};
    // "-cv:silent" or "-silent": switches off most facade output.
    std::atomic<bool> silent{false};
    // Set when the user closes the progress window; polled by long operations (extraction,
    // drive walks, JVM actions) on the launching thread.
    std::atomic<bool> cancelRequested{false};
    // The Windows 9x family (platform id 1): ANSI message functions, the 9x command-line
    // tokenizer and self-removal through WinInit.Ini.
    bool isWin9x = false;
    // The module whose resources hold the strings and dialogs (null: the executable itself).
    void* moduleInstance = nullptr;
    // Text the last launch of the wizard left for display at exit (its captured error output).
    LString exitMessage;

    // The status lines last asked for, from which the facade composes what the host shows; used
    // by the launching thread alone (tests start from a fresh value: statusLines = StatusLines()).
    struct StatusLines {
        static constexpr StringId kNone = static_cast<StringId>(-1);
        StringId line1 = kNone;
        StringId line2 = kNone;
        int line2Type = 0;
        LString line2Text;
    };
    StatusLines statusLines;
};

HostState& hostState();

// The UI facade. Each call forwards to the host and does nothing in silent mode, except where
// noted. Every call does nothing while there is no host.
void uiSetStatusType(int type);
void uiSetStatusLine2(int type, const LString& text);
void uiStepProgress(int delta);
void uiSetProgress(int percent);
void uiShow();             // in silent mode: hide(0)
void uiHide(int seconds);  // acts in silent mode too
void uiShowMessage(const LString& text);
LString uiChooseDirectory();             // empty in silent mode
void uiApplyTitle(const LString& text);  // sets the standard title; acts in silent mode too
// Ends a line the host has begun (a row of progress dots), before the launcher or another
// program writes a line of its own to the same console; nothing in silent mode.
void uiEndPartialLine();
// A child process is about to start: standard output and error are flushed, so that what the
// launcher wrote comes before what the child writes, in a console, a pipe or a file alike; and
// when the child shares the console (`sharesConsole`), the host first ends a line it has begun.
void uiBeforeChildRuns(bool sharesConsole);
void setSilent(bool flag);

// "The launcher ran out of memory.": the text every stage ends with when an allocation failed.
extern const char kOutOfMemoryText[];
// Reports that the launcher ran out of memory, wherever it happened: shows kOutOfMemoryText
// through the host (on standard error while there is no host, unless silent) and logs it as an
// error when a log is named. What the run allocated is usually released by the time this runs;
// where showing it through the host needs memory that is not there, the text goes to standard
// error instead. Never throws.
void reportOutOfMemory() noexcept;

// Counts the progress steps asked of the facade on this thread while it lives, whether a host
// shows them or not, so that work done once can report the same steps when its result is used
// again. The progress window's own ticks (another thread) are not counted.
class ProgressTally {
public:
    ProgressTally();
    ~ProgressTally();
    ProgressTally(const ProgressTally&) = delete;
    ProgressTally& operator=(const ProgressTally&) = delete;

    int steps() const { return steps_; }

private:
    friend void uiStepProgress(int delta);
    ProgressTally* outer_;
    int steps_ = 0;
};

// Snapshot of the second status line, put back after a nested search.
class StatusLine2Saver {
public:
    StatusLine2Saver();
    void restore() const;

private:
    int type_;
    LString text_;
};

// A snapshot that puts the second status line back when the scope ends, however it ends.
class StatusLine2Scope {
public:
    StatusLine2Scope() = default;
    StatusLine2Scope(const StatusLine2Scope&) = delete;
    StatusLine2Scope& operator=(const StatusLine2Scope&) = delete;
    ~StatusLine2Scope();

private:
    StatusLine2Saver saved_;
};

}  // namespace wiz
