#include "services/host.h"

#include <cstdio>

#include "services/messages.h"

namespace wiz {

namespace {

// A status line that is not set.
constexpr StringId kNoLine = static_cast<StringId>(-1);

// The last status request, used to recompose both status lines.
struct StatusState {
    StringId line1Id = kNoLine;
    StringId line2Id = kNoLine;
    int line2Type = 0;
    LString line2Text;
};
// Written and read by the launching thread only.
StatusState status;

const StringId kStatusTypeIds[] = {StringId::StatusInitializing, StringId::StatusSearching,
                                   StringId::StatusNotFound, StringId::StatusRunning,
                                   StringId::StatusPreparing};

// Formats the stored lines; returns whether a second line is set.
bool composeStatus(LString& line1, LString& line2) {
    LauncherHost* host = hostState().host;
    line1 = status.line1Id != kNoLine && host ? formatStringId(status.line1Id, {host->getTitle()})
                                              : LString();
    if (status.line2Id == kNoLine) return false;
    line2 = formatStringId(status.line2Id, {status.line2Text});
    return true;
}

}  // namespace

HostState& hostState() {
    static HostState state;
    return state;
}

void HostState::reset() {
    host = nullptr;
    silent = false;
    cancelRequested = false;
    isWin9x = false;
    moduleInstance = nullptr;
    exitMessage = LString();
    resetStatusState();
}

void resetStatusState() { status = StatusState(); }

namespace {

// The host when the facade may use it: there is one and silent mode is off.
LauncherHost* audibleHost() { return hostState().silent ? nullptr : hostState().host.load(); }

}  // namespace

// Every facade call is a no-op without a host: subsystems may report before a host exists (or
// after it is gone) without having to check.

void uiSetStatusType(int type) {
    LauncherHost* host = audibleHost();
    if (!host) return;
    if (type < 0 || type > 4) {
        status.line1Id = kNoLine;
        host->setStatus(LString());
        return;
    }
    status.line1Id = kStatusTypeIds[type];
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
    if (id != kNoLine) {
        status.line2Id = id;
        status.line2Type = type;
        status.line2Text = text;
    } else {
        status.line2Id = kNoLine;
        status.line2Type = 0;
    }
    LString line1, line2;
    if (status.line2Id != kNoLine && composeStatus(line1, line2)) host->setStatus2(line1, line2);
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

StatusLine2Saver::StatusLine2Saver() : type_(status.line2Type), text_(status.line2Text) {}

void StatusLine2Saver::restore() const { uiSetStatusLine2(type_, text_); }

StatusLine2Scope::~StatusLine2Scope() {
    try {
        saved_.restore();
    } catch (...) {
        // A status line that cannot be shown must not replace what ended the scope.
    }
}

}  // namespace wiz
