#include "core/host.h"

#include "core/messages.h"

namespace wiz {

bool isWin9x = false;
LauncherHost* currentHost = nullptr;
bool silentMode = false;
LString exitMessage;

namespace {

// The last status request, used to recompose both status lines.
struct StatusState {
    int line1Id = -1;
    int line2Id = -1;
    int line2Type = 0;
    LString line2Text;
};
StatusState status;

const int kStatusTypeIds[] = {2, 3, 6, 5, 4};

// Formats the stored lines; returns whether a second line is set.
bool composeStatus(LString& line1, LString& line2) {
    line1 =
        status.line1Id > 0 ? formatStringId(status.line1Id, {currentHost->getTitle()}) : LString();
    if (status.line2Id <= 0) return false;
    line2 = formatStringId(status.line2Id, {status.line2Text});
    return true;
}

}  // namespace

void resetStatusState() { status = StatusState(); }

// Every facade call is a no-op without a host: subsystems may report before a host exists (or
// after it is gone) without having to check.

void uiSetStatusType(int type) {
    if (silentMode || !currentHost) return;
    if (type < 0 || type > 4) {
        status.line1Id = -1;
        currentHost->setStatus(LString());
        return;
    }
    status.line1Id = kStatusTypeIds[type];
    LString line1, line2;
    if (composeStatus(line1, line2)) {
        currentHost->setStatus2(line1, line2);
    } else {
        currentHost->setStatus(line1);
    }
}

void uiSetStatusLine2(int type, const LString& text) {
    if (silentMode || !currentHost) return;
    int id = -1;
    if (type == 1 && !text.empty()) id = 7;
    if (type == 2) id = 25;
    if (type == 3 && !text.empty()) id = 26;
    if (id > 0) {
        status.line2Id = id;
        status.line2Type = type;
        status.line2Text = text;
    } else {
        status.line2Id = -1;
        status.line2Type = 0;
    }
    LString line1, line2;
    if (status.line2Id > 0 && composeStatus(line1, line2)) currentHost->setStatus2(line1, line2);
}

void uiStepProgress(int delta) {
    if (!silentMode && currentHost) currentHost->stepProgress(delta);
}

void uiSetProgress(int percent) {
    if (!silentMode && currentHost) currentHost->setProgress(percent);
}

void uiShow() {
    if (!currentHost) return;
    if (silentMode) {
        currentHost->hide(0);
    } else {
        currentHost->show();
    }
}

void uiHide(int seconds) {
    if (currentHost) currentHost->hide(seconds);
}

void uiShowMessage(const LString& text) {
    if (!silentMode && currentHost) currentHost->showMessage(text);
}

LString uiChooseDirectory() {
    return silentMode || !currentHost ? LString() : currentHost->chooseDirectory();
}

void uiApplyTitle(const LString& /*text*/) {
    if (currentHost) currentHost->setTitle(loadString(105));
}

void setSilent(bool flag) { silentMode = flag; }

StatusLine2Saver::StatusLine2Saver() : type_(status.line2Type), text_(status.line2Text) {}

void StatusLine2Saver::restore() const { uiSetStatusLine2(type_, text_); }

}  // namespace wiz
