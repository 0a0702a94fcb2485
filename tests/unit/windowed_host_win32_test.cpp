// The windowed host and its progress dialog, with real windows. Tests that need a window skip
// when the system has no display; the windowed test case runs this binary under a virtual X
// server so that they do run there.
#include "ui/windowed_host_win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "base/exceptions.h"
#include "services/host.h"
#include "services/messages.h"
#include "services/settings.h"
#include "support/null_host.h"
#include "support/temp_dir.h"
#include "tempfiles/temp_files.h"
#include "ui/progress_dialog_win32.h"

// commctrl.h needs the declarations of windows.h first.
#include <commctrl.h>

namespace {

using namespace wiz;

// Dispatches messages of the calling thread until `done` holds. The limit only keeps a broken
// build from hanging the suite; no assertion depends on how long anything takes.
void pumpUntil(const std::function<bool()>& done, DWORD limitMs = 20000) {
    const DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < limitMs) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Runs `work` on a second thread, the way the launch worker calls the host, while this thread
// owns the dialog and pumps its messages.
void onWorkerThread(const std::function<void()>& work) {
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        work();
        finished = true;
    });
    pumpUntil([&] { return finished.load(); });
    worker.join();
}

LString controlText(HWND dialog, int id) {
    char text[1024] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return LString(text);
}

int barPosition(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageA(dialog, kProgressControl, PBM_GETPOS, 0, 0));
}

// KillTimer succeeds only for a running timer (and stops it).
bool timerWasRunning(HWND dialog, UINT_PTR id) { return KillTimer(dialog, id) != FALSE; }

// ---- arithmetic and choices that need no window

TEST(WindowedArithmetic, StepWrapsAroundOnUnsignedValues) {
    struct Case {
        int current, delta, expected;
    } cases[] = {
        {80, 30, 10},
        {0, 5, 5},
        {95, 5, 0},
        {50, -10, 40},
        // 0 + (2^32 - 1) is 4294967295, whose remainder by 100 is 95 (not 99).
        {0, -1, 95},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(steppedPosition(c.current, c.delta), c.expected) << c.current << " + " << c.delta;
    }
}

TEST(WindowedArithmetic, SetPositionIsTheSignedRemainder) {
    struct Case {
        int percent, expected;
    } cases[] = {{0, 0}, {42, 42}, {99, 99}, {100, 0}, {250, 50}, {-30, -30}};
    for (const Case& c : cases) EXPECT_EQ(percentPosition(c.percent), c.expected) << c.percent;
}

TEST(WindowedArithmetic, HideDelayUsesTheLowSixteenBitsAsSigned) {
    struct Case {
        int seconds, expected;
    } cases[] = {{0, 0}, {3, 3}, {0x10003, 3}, {0x10000, 0}, {0xFFFF, -1}, {-2, -2}};
    for (const Case& c : cases) EXPECT_EQ(hideDelaySeconds(c.seconds), c.expected) << c.seconds;
}

TEST(WindowedArithmetic, OnlyStyleZeroGetsTheLargeDialog) {
    struct Case {
        int style, dialog;
    } cases[] = {{0, 101}, {1, 103}, {2, 103}, {255, 103}, {-1, 103}};
    for (const Case& c : cases) EXPECT_EQ(dialogTemplateForStyle(c.style), c.dialog) << c.style;
}

TEST(WindowedArithmetic, CentringOnScreenAndOverAParent) {
    const RECT dialog = {0, 0, 400, 150};
    struct Case {
        const char* what;
        bool hasParent;
        RECT parent;
        LONG x, y;
    } cases[] = {
        {"screen", false, {}, 312, 309},
        {"over parent", true, {100, 100, 700, 500}, 200, 225},
        {"parent off the top left", true, {-900, -700, -100, -100}, 0, 0},
        {"parent off the bottom right", true, {900, 700, 1400, 1100}, 614, 608},
    };
    for (const Case& c : cases) {
        const POINT at = centredPosition(dialog, c.hasParent ? &c.parent : nullptr, 1024, 768);
        EXPECT_EQ(at.x, c.x) << c.what;
        EXPECT_EQ(at.y, c.y) << c.what;
    }
}

TEST(WindowedMessageLoop, ReturnsTheQuitCodeInBothFamilies) {
    for (bool win9x : {false, true}) {
        wiz::hostState().isWin9x = win9x;
        PostQuitMessage(7);
        EXPECT_EQ(runMessageLoop(), 7) << "win9x " << win9x;
    }
    wiz::hostState().isWin9x = false;
}

TEST(WindowedEndSession, RemovesTemporaryFilesOnlyWhenTheSessionEnds) {
    wiztest::TempDir dir;
    const LString file(dir.write("left.tmp", "x").c_str());
    registerTempFile(file);

    mainWindowProc(nullptr, WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(fileExists(file)) << "a cancelled shutdown keeps the files";

    EXPECT_EQ(mainWindowProc(nullptr, WM_ENDSESSION, TRUE, 0), 0);
    EXPECT_FALSE(fileExists(file));
    unregisterTempFile(file);
}

// ---- the progress dialog (needs a display)

class WindowedDialog : public ::testing::Test {
protected:
    void TearDown() override {
        if (progressDialog()) DestroyWindow(progressDialog());
        windowState().progressDialog = nullptr;
        wiz::hostState().cancelRequested = false;
        setSilent(false);
    }

    // Creates the dialog for the style byte; false (and the test is skipped) without a display.
    bool create(int style) {
        INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        return createProgressDialog(GetModuleHandleA(nullptr), style) != nullptr;
    }

    ArgumentList args_;
    WindowedHost host_{args_};
    wiztest::ScopedHost scopedHost_{host_};
};

#define CREATE_OR_SKIP(style) \
    if (!create(style)) GTEST_SKIP() << "no display: the progress dialog cannot be created"

TEST_F(WindowedDialog, LargeFormShowsIconWaitTextStatusAndBar) {
    CREATE_OR_SKIP(0);
    HWND dialog = progressDialog();
    EXPECT_FALSE(IsWindowVisible(dialog)) << "created hidden";
    EXPECT_EQ(controlText(dialog, kWaitTextControl), loadString(StringId::PleaseWait));
    EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, kWaitTextControl), GWL_STYLE) & WS_VISIBLE);
    ASSERT_NE(GetDlgItem(dialog, kStatusControl), nullptr);

    char className[64] = {};
    GetClassNameA(GetDlgItem(dialog, kProgressControl), className, sizeof className);
    EXPECT_STREQ(className, "msctls_progress32");
    EXPECT_EQ(GetDlgItem(dialog, kCancelCommand), nullptr);

    // The icon control holds icon group 102.
    HWND icon = FindWindowExA(dialog, nullptr, "Static", nullptr);
    while (icon && (GetWindowLongA(icon, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
        icon = FindWindowExA(dialog, icon, "Static", nullptr);
    }
    ASSERT_NE(icon, nullptr);
    EXPECT_NE(SendMessageA(icon, STM_GETICON, 0, 0), 0);

    // 277 x 90 dialog units of client area.
    RECT expected = {0, 0, 277, 90};
    MapDialogRect(dialog, &expected);
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, expected.right);
    EXPECT_EQ(client.bottom, expected.bottom);
    EXPECT_EQ(host_.getTitle(), "") << "the templates have an empty caption";
}

TEST_F(WindowedDialog, SmallFormKeepsTheWaitTextHidden) {
    CREATE_OR_SKIP(1);
    HWND dialog = progressDialog();
    HWND waitText = GetDlgItem(dialog, kWaitTextControl);
    ASSERT_NE(waitText, nullptr);
    EXPECT_FALSE(GetWindowLongA(waitText, GWL_STYLE) & WS_VISIBLE);
    EXPECT_NE(GetDlgItem(dialog, kProgressControl), nullptr);

    RECT expected = {0, 0, 277, 58};
    MapDialogRect(dialog, &expected);
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.bottom, expected.bottom);
}

TEST_F(WindowedDialog, CentredOnTheScreen) {
    CREATE_OR_SKIP(0);
    RECT rect;
    GetWindowRect(progressDialog(), &rect);
    const POINT at = centredPosition(rect, nullptr, GetSystemMetrics(SM_CXSCREEN),
                                     GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(rect.left, at.x);
    EXPECT_EQ(rect.top, at.y);
}

TEST_F(WindowedDialog, OperationsFromTheWorkerReachTheDialog) {
    CREATE_OR_SKIP(0);
    LString title;
    bool visible = false;
    onWorkerThread([&] {
        LString status("Working");
        host_.setStatus(status);
        status = "changed after the call";  // the dialog keeps its own copy
        host_.setTitle("Setup");
        title = host_.getTitle();
        host_.setProgress(80);
        host_.stepProgress(30);
        host_.show();
        visible = host_.isVisible();
    });
    EXPECT_EQ(controlText(progressDialog(), kStatusControl), "Working");
    EXPECT_EQ(title, "Setup");
    EXPECT_EQ(barPosition(progressDialog()), 10);
    EXPECT_TRUE(visible);

    onWorkerThread([&] { host_.setStatus2("Verifying", "C:\\jre"); });
    EXPECT_EQ(controlText(progressDialog(), kStatusControl), "Verifying C:\\jre");

    onWorkerThread([&] { host_.setProgress(100); });
    EXPECT_EQ(barPosition(progressDialog()), 0) << "100 empties the bar";

    onWorkerThread([&] { host_.hide(0); });
    EXPECT_FALSE(IsWindowVisible(progressDialog()));
}

TEST_F(WindowedDialog, ProgressWithoutTheBarFails) {
    CREATE_OR_SKIP(0);
    DestroyWindow(GetDlgItem(progressDialog(), kProgressControl));
    for (auto operation : {+[](WindowedHost& h) { h.stepProgress(5); },
                           +[](WindowedHost& h) { h.setProgress(5); }}) {
        try {
            operation(host_);
            ADD_FAILURE() << "no exception";
        } catch (const LauncherException& e) {
            EXPECT_EQ(e.message(), "The progress bar has not been created yet");
        }
    }
}

TEST_F(WindowedDialog, DelayedHideMovesTheBarThenHidesAndStopsBothTimers) {
    CREATE_OR_SKIP(0);
    // Started from another thread, as the launch does: the timers must still belong to the
    // dialog's own thread.
    onWorkerThread([&] {
        host_.show();
        host_.hide(1);
    });
    EXPECT_TRUE(IsWindowVisible(progressDialog())) << "stays up during the delay";
    pumpUntil([&] { return !IsWindowVisible(progressDialog()); });
    EXPECT_FALSE(IsWindowVisible(progressDialog()));
    EXPECT_GT(barPosition(progressDialog()), 0) << "the tick timer advanced the bar";
    EXPECT_FALSE(timerWasRunning(progressDialog(), kHideTimer));
    EXPECT_FALSE(timerWasRunning(progressDialog(), kTickTimer));
}

TEST_F(WindowedDialog, TimerMessagesHideAndTick) {
    CREATE_OR_SKIP(0);
    host_.show();
    host_.setProgress(20);
    SendMessageA(progressDialog(), WM_TIMER, kTickTimer, 0);
    EXPECT_EQ(barPosition(progressDialog()), 25);

    setSilent(true);
    SendMessageA(progressDialog(), WM_TIMER, kTickTimer, 0);
    EXPECT_EQ(barPosition(progressDialog()), 25) << "no ticks in silent mode";
    setSilent(false);

    host_.hide(30);
    SendMessageA(progressDialog(), WM_TIMER, kHideTimer, 0);
    EXPECT_FALSE(IsWindowVisible(progressDialog()));
    EXPECT_FALSE(timerWasRunning(progressDialog(), kHideTimer));
    EXPECT_FALSE(timerWasRunning(progressDialog(), kTickTimer));
}

TEST_F(WindowedDialog, StoppingTheTimersFromTheWorkerKeepsTheDialogUp) {
    CREATE_OR_SKIP(0);
    onWorkerThread([&] {
        host_.show();
        host_.hide(30);
        stopProgressTimers();
    });
    EXPECT_TRUE(IsWindowVisible(progressDialog()));
    EXPECT_FALSE(timerWasRunning(progressDialog(), kHideTimer));
    EXPECT_FALSE(timerWasRunning(progressDialog(), kTickTimer));
}

TEST_F(WindowedDialog, CloseOnlyRequestsCancellation) {
    CREATE_OR_SKIP(0);
    host_.show();
    SendMessageA(progressDialog(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(progressDialog()));
    EXPECT_TRUE(IsWindowVisible(progressDialog()));
    EXPECT_TRUE(wiz::hostState().cancelRequested);
}

TEST_F(WindowedDialog, OnlyTheCancelCommandCounts) {
    CREATE_OR_SKIP(0);
    host_.show();
    host_.setProgress(20);
    // Enter and Escape arrive as commands 1 and 2 (the timer ids): nothing happens.
    SendMessageA(progressDialog(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    SendMessageA(progressDialog(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(IsWindowVisible(progressDialog()));
    EXPECT_EQ(barPosition(progressDialog()), 20);
    EXPECT_FALSE(wiz::hostState().cancelRequested);

    SendMessageA(progressDialog(), WM_COMMAND, MAKEWPARAM(kCancelCommand, BN_CLICKED), 0);
    EXPECT_TRUE(wiz::hostState().cancelRequested);
}

// The visible window that the progress dialog owns (the folder browser), or null.
BOOL CALLBACK findOwnedWindow(HWND window, LPARAM found) {
    if (GetWindow(window, GW_OWNER) != progressDialog() || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND findFolderBrowser() {
    HWND found = nullptr;
    EnumWindows(findOwnedWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

struct TextSearch {
    LString text;
    bool found;
};

BOOL CALLBACK findChildText(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<TextSearch*>(data);
    char buffer[256] = {};
    GetWindowTextA(child, buffer, sizeof buffer);
    search->found = search->text == buffer;
    return !search->found;
}

// Whether some child window of `parent` shows exactly `text`.
bool showsText(HWND parent, const LString& text) {
    TextSearch search = {text, false};
    EnumChildWindows(parent, findChildText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(WindowedDialog, FolderBrowserIsOwnedByTheDialogAndCancelGivesNothing) {
    CREATE_OR_SKIP(0);
    host_.show();
    // Shared with the worker, which cannot be stopped if the browser never shows up.
    struct Outcome {
        LString chosen{"unchanged"};
        std::atomic<bool> finished{false};
    };
    auto outcome = std::make_shared<Outcome>();
    std::thread worker([outcome, host = &host_] {
        outcome->chosen = host->chooseDirectory();
        outcome->finished = true;
    });
    HWND browser = nullptr;
    pumpUntil([&] { return (browser = findFolderBrowser()) != nullptr || outcome->finished; });
    if (!browser) {
        worker.detach();
        FAIL() << "no folder browser owned by the dialog";
    }
    EXPECT_TRUE(showsText(browser, loadString(StringId::ChooseDestination)));
    PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
    pumpUntil([&] { return outcome->finished.load(); });
    worker.join();
    EXPECT_EQ(outcome->chosen, "");
}

// ---- the main window and the worker (needs a display)

class WindowedMainWindow : public ::testing::Test {
protected:
    void SetUp() override { windowState().workerPending = true; }
    void TearDown() override {
        if (windowState().mainWindow) DestroyWindow(windowState().mainWindow);
        windowState().mainWindow = nullptr;
        // Destroying the main window posts the quit message; the next test's loop must not
        // find it.
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        if (progressDialog() && IsWindow(progressDialog())) DestroyWindow(progressDialog());
        windowState().progressDialog = nullptr;
        windowState().workerThread.reset();
        wiz::hostState().cancelRequested = false;
    }

    ArgumentList args_;  // empty: the worker has nothing to launch and closes at once
    WindowedHost host_{args_};
    wiztest::ScopedHost scopedHost_{host_};
};

TEST_F(WindowedMainWindow, StartsOneWorkerThatClosesTheWindowWithTheConsoleHostsExitCode) {
    if (!host_.initialize(GetModuleHandleA(nullptr), SW_SHOW)) {
        GTEST_SKIP() << "no display: the main window cannot be created";
    }
    EXPECT_EQ(windowState().className, "LauncherMain");
    char className[64] = {};
    GetClassNameA(windowState().mainWindow, className, sizeof className);
    EXPECT_STREQ(className, "LauncherMain");
    EXPECT_FALSE(IsWindowVisible(windowState().mainWindow));
    ASSERT_NE(progressDialog(), nullptr);
    EXPECT_FALSE(IsWindowVisible(progressDialog()));
    EXPECT_EQ(GetWindow(progressDialog(), GW_OWNER), nullptr) << "the dialog has no owner";

    EXPECT_FALSE(windowState().workerPending);
    const DWORD worker = windowState().workerThreadId;
    EXPECT_NE(worker, 0u);
    HWND dialog = progressDialog();

    // A second creation message starts no second worker and keeps the dialog.
    CREATESTRUCTA create = {};
    SendMessageA(windowState().mainWindow, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create));
    EXPECT_EQ(windowState().workerThreadId, worker);
    EXPECT_EQ(progressDialog(), dialog);

    // Nothing to launch: -1, as the console host returns for an empty argument list.
    EXPECT_EQ(host_.run(), -1);
    EXPECT_FALSE(IsWindow(dialog)) << "the dialog goes with the main window";
    EXPECT_FALSE(windowState().workerThread.valid());
}

TEST_F(WindowedMainWindow, CloseRequestsCancellationAndLeavesTheEndToTheWorker) {
    if (!host_.initialize(GetModuleHandleA(nullptr), SW_SHOW)) {
        GTEST_SKIP() << "no display: the main window cannot be created";
    }
    HWND window = windowState().mainWindow;
    HWND dialog = progressDialog();
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(wiz::hostState().cancelRequested);
    EXPECT_TRUE(IsWindow(window)) << "closing must not destroy the main window";
    EXPECT_TRUE(IsWindow(dialog));
    // Nothing but the worker's close request ends the message loop.
    MSG quit;
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    EXPECT_EQ(host_.run(), -1);
    EXPECT_FALSE(IsWindow(dialog));
}

}  // namespace
