#include "ui/progress_dialog_win32.h"

#include <cstdint>

#include "services/host.h"
#include "services/messages.h"
#include "services/settings.h"

namespace wiz {

WindowState& windowState() {
    static WindowState state;
    return state;
}

int dialogTemplateForStyle(int style) {
    return style == 0 ? kLargeDialogTemplate : kSmallDialogTemplate;
}

HWND createProgressDialog(HINSTANCE instance, int style) {
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(dialogTemplateForStyle(style)),
                                     nullptr, progressDialogProc, 0);
    windowState().progressDialog = dialog;
    if (dialog) {
        ShowWindow(dialog, SW_HIDE);
        centreWindow(dialog);
    }
    return dialog;
}

POINT centredPosition(const RECT& window, const RECT* parent, int screenWidth, int screenHeight) {
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    POINT at;
    if (!parent) {
        at.x = (screenWidth - width) / 2;
        at.y = (screenHeight - height) / 2;
        return at;
    }
    at.x = parent->left + (parent->right - parent->left) / 2 - width / 2;
    at.y = parent->top + (parent->bottom - parent->top) / 2 - height / 2;
    if (at.x < 0) at.x = 0;
    if (at.y < 0) at.y = 0;
    if (at.x >= screenWidth - width - 10) at.x = screenWidth - width - 10;
    if (at.y >= screenHeight - height - 10) at.y = screenHeight - height - 10;
    return at;
}

void centreWindow(HWND window) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) return;
    RECT parentRect;
    HWND parent = GetParent(window);
    const bool hasParent = parent && GetWindowRect(parent, &parentRect);
    const POINT at = centredPosition(rect, hasParent ? &parentRect : nullptr,
                                     GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    MoveWindow(window, at.x, at.y, rect.right - rect.left, rect.bottom - rect.top, FALSE);
}

int steppedPosition(int current, int delta) {
    return static_cast<int>((static_cast<uint32_t>(current) + static_cast<uint32_t>(delta)) % 100u);
}

int percentPosition(int percent) { return percent % 100; }

int hideDelaySeconds(int seconds) {
    return static_cast<int16_t>(static_cast<uint32_t>(seconds) & 0xFFFFu);
}

void stopProgressTimers() {
    if (progressDialog()) SendMessageA(progressDialog(), kRequestStopTimers, 0, 0);
}

namespace {

void stopTimers(HWND dialog) {
    KillTimer(dialog, kTickTimer);
    KillTimer(dialog, kHideTimer);
}

// Runs on the dialog's thread: hide at once, or keep the dialog up for the delay while the
// tick timer moves the bar.
void handleHideRequest(HWND dialog, int seconds) {
    if (HWND cancel = GetDlgItem(dialog, kCancelCommand)) EnableWindow(cancel, FALSE);
    const int delay = hideDelaySeconds(seconds);
    if (delay == 0) {
        ShowWindow(dialog, SW_HIDE);
        return;
    }
    SetTimer(dialog, kHideTimer, static_cast<UINT>(delay * 1000), nullptr);
    SetTimer(dialog, kTickTimer, kTickMilliseconds, nullptr);
}

void handleTick() {
    // The bar may be missing (a failed template); nothing may escape into the system's
    // dispatch code.
    try {
        if (hostState().host) uiStepProgress(kTickStep);
    } catch (...) {
    }
}

}  // namespace

INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    switch (message) {
        case WM_INITDIALOG:
            SetDlgItemTextA(dialog, kWaitTextControl, loadString(StringId::PleaseWait).c_str());
            return TRUE;
        case WM_CLOSE:
            // Closing only asks the launch to stop; the dialog stays until the launch ends.
            hostState().cancelRequested = true;
            return TRUE;
        case WM_COMMAND:
            // Only the cancel command counts. Enter and Escape arrive as commands 1 and 2,
            // the same numbers as the timer ids, and must not hide the dialog or move the bar.
            if (LOWORD(wParam) == kCancelCommand) {
                hostState().cancelRequested = true;
                return TRUE;
            }
            return FALSE;
        case WM_TIMER:
            if (wParam == kHideTimer) {
                ShowWindow(dialog, SW_HIDE);
                stopTimers(dialog);
                return TRUE;
            }
            if (wParam == kTickTimer) {
                handleTick();
                return TRUE;
            }
            return FALSE;
        case kRequestShow:
            ShowWindow(dialog, SW_SHOWNORMAL);
            return TRUE;
        case kRequestHide:
            handleHideRequest(dialog, static_cast<int>(wParam));
            return TRUE;
        case kRequestStopTimers:
            stopTimers(dialog);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace wiz
