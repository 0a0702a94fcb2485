// The progress dialog: the large (101) and small (103) templates, the dialog procedure with the
// hide and tick timers, and the placement on the screen.
//
// The dialog belongs to the user-interface thread. Other threads reach it only by sending it
// messages: the standard ones for texts and the progress bar, and the requests below for
// everything that must run on the owning thread (timers belong to the thread that sets them).
#pragma once

#include <atomic>

#include "base/lstring.h"
#include "platform/handle_win32.h"
#include "platform/win32.h"

namespace wiz {

// The windows of the windowed host. The user-interface thread creates the main window and the
// dialog before it starts the worker thread, which then only sends them messages; the worker's
// handle is kept for the user-interface thread alone.
struct WindowState {
    LString className;              // the main window's class (string 1)
    HWND mainWindow = nullptr;      // hidden; the worker posts its close request here
    HWND progressDialog = nullptr;  // the modeless progress dialog; null until it is created
    HandleHolder workerThread;
    DWORD workerThreadId = 0;
    bool workerPending = true;  // the worker is started at most once per process
    // The launch's result, the process's exit code: written by the worker before it asks the
    // main window to close, read by the main thread when the message loop has ended. -1 until
    // a launch has run.
    std::atomic<int> launchResult{-1};
};

WindowState& windowState();
// The progress dialog; null until it is created.
inline HWND progressDialog() { return windowState().progressDialog; }

constexpr int kLargeDialogTemplate = 101;
constexpr int kSmallDialogTemplate = 103;
constexpr int kStatusControl = 1000;
constexpr int kProgressControl = 1001;
constexpr int kCancelCommand = 1003;
constexpr int kWaitTextControl = 1004;

constexpr UINT_PTR kHideTimer = 1;
constexpr UINT_PTR kTickTimer = 2;
constexpr UINT kTickMilliseconds = 100;
constexpr int kTickStep = 5;

// Requests handled by the dialog procedure on its own thread (sent, so the caller waits).
constexpr UINT kRequestShow = WM_APP + 1;
constexpr UINT kRequestHide = WM_APP + 2;  // wParam: the seconds given to hide()
constexpr UINT kRequestStopTimers = WM_APP + 3;

// Template 101 for style byte 0; 103 for every other value and for an unreadable byte (-1).
int dialogTemplateForStyle(int style);

// Creates the dialog for the style byte on the calling thread, without owner, hidden and centred
// on the screen; stores it in windowState().progressDialog. Null when the dialog cannot be created.
HWND createProgressDialog(HINSTANCE instance, int style);

INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Where a window of the size of `window` goes: centred over `parent` when there is one (kept on
// the screen with a 10-pixel margin on the right and bottom), otherwise on the screen.
POINT centredPosition(const RECT& window, const RECT* parent, int screenWidth, int screenHeight);
// Moves the window to its centred position (over its parent, if any), without repainting.
void centreWindow(HWND window);

// Progress arithmetic on the bar's fixed range 0..100: a step wraps around through 0 (computed
// on unsigned 32-bit values); a set position of 100 empties the bar.
int steppedPosition(int current, int delta);
int percentPosition(int percent);
// The delay a hide request asks for: the low 16 bits of `seconds` as a signed number.
int hideDelaySeconds(int seconds);

// Stops both timers of the dialog; callable from any thread.
void stopProgressTimers();

}  // namespace wiz
