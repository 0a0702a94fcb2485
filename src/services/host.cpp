#include "services/host.h"

#include <cstdio>

#include "services/log.h"
#include "services/messages.h"

namespace wiz {

namespace {

// A status line that is not set.
constexpr StringId kNoLine = HostState::StatusLines::kNone;

const StringId kStatusTypeIds[] = {StringId::StatusInitializing, StringId::StatusSearching,
                                   StringId::StatusNotFound, StringId::StatusRunning,
                                   StringId::StatusPreparing};

// Formats the stored lines; returns whether a second line is set.
bool composeStatus(LString& line1, LString& line2) {
    const HostState::StatusLines& status = hostState().statusLines;
    LauncherHost* host = hostState().host;
    line1 = status.line1 != kNoLine && host ? formatStringId(status.line1, {host->getTitle()})
                                            : LString();
    if (status.line2 == kNoLine) return false;
    line2 = formatStringId(status.line2, {status.line2Text});
    return true;
}

}  // namespace

HostState& hostState() {
    static HostState state;
    return state;
}

namespace {

// The host when the facade may use it: there is one and silent mode is off.
LauncherHost* audibleHost() { return hostState().silent ? nullptr : hostState().host.load(); }

}  // namespace

// Every facade call is a no-op without a host: subsystems may report before a host exists (or
// after it is gone) without having to check.

void uiSetStatusType(int type) {
    LauncherHost* host = audibleHost();
    if (!host) return;
    HostState::StatusLines& status = hostState().statusLines;
    if (type < 0 || type > 4) {
        status.line1 = kNoLine;
        host->setStatus(LString());
        return;
    }
    status.line1 = kStatusTypeIds[type];
    LString line1, line2;
    if (composeStatus(line1, line2)) {
        host->setStatus2(line1, line2);
    } else {
        host->setStatus(line1);
    }
}

void uiSetStatusLine2(int type, const LString& text) {
    LauncherHost* host = audibleHost();
    if (!host) return;
    StringId id = kNoLine;
    if (type == 1 && !text.empty()) id = StringId::SearchingFor;
    if (type == 2) id = StringId::ScanningDisks;
    if (type == 3 && !text.empty()) id = StringId::Verifying;
    HostState::StatusLines& status = hostState().statusLines;
    if (id != kNoLine) {
        status.line2 = id;
        status.line2Type = type;
        status.line2Text = text;
    } else {
        status.line2 = kNoLine;
        status.line2Type = 0;
    }
    LString line1, line2;
    if (status.line2 != kNoLine && composeStatus(line1, line2)) host->setStatus2(line1, line2);
}

namespace {
// The innermost tally of this thread; each one counts into those around it too.
thread_local ProgressTally* currentTally = nullptr;
}  // namespace

ProgressTally::ProgressTally() : outer_(currentTally) { currentTally = this; }

ProgressTally::~ProgressTally() { currentTally = outer_; }

void uiStepProgress(int delta) {
    if (delta > 0) {
        for (ProgressTally* tally = currentTally; tally; tally = tally->outer_) {
            tally->steps_ += delta;
        }
    }
    if (LauncherHost* host = audibleHost()) host->stepProgress(delta);
}

void uiSetProgress(int percent) {
    if (LauncherHost* host = audibleHost()) host->setProgress(percent);
}

void uiShow() {
    LauncherHost* host = hostState().host;
    if (!host) return;
    if (hostState().silent) {
        host->hide(0);
    } else {
        host->show();
    }
}

void uiHide(int seconds) {
    if (LauncherHost* host = hostState().host) host->hide(seconds);
}

void uiShowMessage(const LString& text) {
    if (LauncherHost* host = audibleHost()) host->showMessage(text);
}

LString uiChooseDirectory() {
    LauncherHost* host = audibleHost();
    return host ? host->chooseDirectory() : LString();
}

void uiApplyTitle(const LString& /*text*/) {
    if (LauncherHost* host = hostState().host) host->setTitle(loadString(StringId::WindowTitle));
}

void uiEndPartialLine() {
    if (LauncherHost* host = audibleHost()) host->endPartialLine();
}

void uiBeforeChildRuns(bool sharesConsole) {
    if (sharesConsole) uiEndPartialLine();
    std::fflush(stdout);
    std::fflush(stderr);
}

void setSilent(bool flag) { hostState().silent = flag; }

const char kOutOfMemoryText[] = "The launcher ran out of memory.";

void reportOutOfMemory() noexcept {
    bool shown = hostState().silent;
    if (!shown) {
        try {
            if (LauncherHost* host = hostState().host.load()) {
                host->showMessage(LString(kOutOfMemoryText));
                shown = true;
            }
        } catch (...) {
            // Falls back to standard error below.
        }
    }
    if (!shown) {
        std::fputs(kOutOfMemoryText, stderr);
        std::fputc('\n', stderr);
        std::fflush(stderr);
    }
    try {
        writeLogText(kOutOfMemoryText, kLogError);
    } catch (...) {
    }
}

StatusLine2Saver::StatusLine2Saver()
    : type_(hostState().statusLines.line2Type), text_(hostState().statusLines.line2Text) {}

void StatusLine2Saver::restore() const { uiSetStatusLine2(type_, text_); }

StatusLine2Scope::~StatusLine2Scope() {
    try {
        saved_.restore();
    } catch (...) {
        // A status line that cannot be shown must not replace what ended the scope.
    }
}

}  // namespace wiz
