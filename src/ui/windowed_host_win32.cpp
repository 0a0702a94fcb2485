#include "ui/windowed_host_win32.h"

// These system headers need the declarations of windows.h first.
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <new>

#include "archive/embedded_files.h"
#include "base/exceptions.h"
#include "platform/process_info.h"
#include "platform/system_error.h"
#include "services/host.h"
#include "services/messages.h"
#include "tempfiles/temp_files.h"
#include "ui/progress_dialog_win32.h"
#include "ui/run.h"
#include "ui/windowed_host.h"

namespace wiz {

namespace {

HINSTANCE instanceHandle() {
    return hostState().moduleInstance ? static_cast<HINSTANCE>(hostState().moduleInstance)
                                      : GetModuleHandleA(nullptr);
}

// The progress bar, or LauncherException (string 20) when the dialog has none.
HWND progressBar() {
    HWND bar = progressDialog() ? GetDlgItem(progressDialog(), kProgressControl) : nullptr;
    if (!bar) throw LauncherException(loadString(StringId::NoProgressBar));
    return bar;
}

// COM for the calling thread while the object lives (the folder browser needs it).
class ComScope {
public:
    ComScope() : result_(CoInitialize(nullptr)) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }

private:
    HRESULT result_;
};

// An item list from the shell, released through the shell's allocator.
class ShellItemList {
public:
    explicit ShellItemList(LPITEMIDLIST items) : items_(items) {}
    ShellItemList(const ShellItemList&) = delete;
    ShellItemList& operator=(const ShellItemList&) = delete;
    ~ShellItemList() {
        IMalloc* allocator = nullptr;
        if (items_ && SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
            allocator->Free(items_);
            allocator->Release();
        }
    }
    LPITEMIDLIST get() const { return items_; }

private:
    LPITEMIDLIST items_;
};

void onCreate(HWND window) {
    // The worker posts its close request here; the handle must be known before it can finish.
    windowState().mainWindow = window;
    if (progressDialog() && IsWindow(progressDialog())) return;
    createProgressDialog(instanceHandle(), readLauncherStyle(modulePath()));
}

void onDestroy() {
    if (progressDialog() && IsWindow(progressDialog())) DestroyWindow(progressDialog());
    windowState().workerThread.reset();
    PostQuitMessage(0);
}

}  // namespace

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            onCreate(window);
            const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
            if (windowState().workerPending) {
                windowState().workerPending = false;
                windowState().workerThread.reset(CreateThread(nullptr, 0, launchWorker, nullptr, 0,
                                                              &windowState().workerThreadId));
            }
            return result;
        }
        case WM_CLOSE:
            // Another program or the system asks the hidden window to close: that cancels the
            // launch, as closing the dialog does. The default processing would destroy the
            // window and end the message loop, and with it the process, under the running
            // worker; instead the launch ends as usual, cleans up and closes the window.
            hostState().cancelRequested = true;
            return 0;
        case WM_DESTROY:
            onDestroy();
            return 0;
        case WM_ENDSESSION:
            // The logon ends before the launch does: nothing else will remove the temporary
            // files. A cancelled shutdown (wParam FALSE) leaves the running launch its files.
            if (wParam) {
                try {
                    removeTemporaryFiles();
                } catch (...) {
                }
            }
            return 0;
        default:
            // The class is registered with RegisterClassExA, so the window receives ANSI
            // messages on every system and its default processing must be the ANSI one too.
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

DWORD WINAPI launchWorker(LPVOID /*unused*/) {
    auto* host = dynamic_cast<WindowedHost*>(hostState().host.load());
    if (host && host->arguments().count() > 0) {
        try {
            windowState().launchResult =
                runLaunch(*host, host->arguments(), ExitMessageRoute::Facade, stopProgressTimers);
        } catch (const std::bad_alloc&) {
            // Around the launch (its exit message); the launch reports its own.
            reportOutOfMemory();
            windowState().launchResult = -1;
        } catch (...) {
            // The launch reports its own failures; the window must close whatever happened.
        }
    }
    PostMessageA(windowState().mainWindow, WM_DESTROY, 0, 0);
    return 0;
}

int runMessageLoop() {
    MSG msg = {};
    for (;;) {
        const BOOL got = hostState().isWin9x ? GetMessageA(&msg, nullptr, 0, 0)
                                             : GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return 0;
        if (progressDialog() && IsDialogMessageA(progressDialog(), &msg)) continue;
        TranslateMessage(&msg);
        if (hostState().isWin9x) {
            DispatchMessageA(&msg);
        } else {
            DispatchMessageW(&msg);
        }
    }
}

bool WindowedHost::initialize(void* instance, int /*showCommand*/) {
    hostState().moduleInstance = instance;
    HINSTANCE module = instanceHandle();

    // The dialogs use the system progress bar.
    INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
    if (!InitCommonControlsEx(&controls)) InitCommonControls();

    windowState().className = loadString(StringId::WindowClassName);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = module;
    windowClass.hIcon = LoadIconA(module, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = windowState().className.c_str();
    RegisterClassExA(&windowClass);

    HWND window = CreateWindowExA(0, windowState().className.c_str(), "", WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  nullptr, nullptr, module, nullptr);
    if (!window) {
        // No window station or desktop to show a window on (a service, a machine without a
        // display).
        initializeFailure_ = "the launcher's window cannot be created: " +
                             systemErrorText(static_cast<uint32_t>(GetLastError()));
        return false;
    }
    windowState().mainWindow = window;
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
    return true;
}

// The exit code is the launch's, as with the console host: a program that starts the launcher
// (start /wait, a deployment tool) learns how the run ended.
int WindowedHost::run() {
    runMessageLoop();
    return windowState().launchResult;
}

void WindowedHost::setStatus(const LString& text) {
    if (progressDialog()) SetDlgItemTextA(progressDialog(), kStatusControl, text.c_str());
}

void WindowedHost::setStatus2(const LString& line1, const LString& line2) {
    MessageText lines;
    lines.formatString("%1!s! %2!s!", {line1, line2});
    setStatus(lines.str());
}

void WindowedHost::stepProgress(int delta) {
    HWND bar = progressBar();
    const int current = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
    SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(steppedPosition(current, delta)), 0);
}

void WindowedHost::setProgress(int percent) {
    HWND bar = progressBar();
    SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(percentPosition(percent)), 0);
}

void WindowedHost::show() {
    if (progressDialog()) SendMessageA(progressDialog(), kRequestShow, 0, 0);
}

void WindowedHost::hide(int seconds) {
    if (progressDialog()) {
        SendMessageA(progressDialog(), kRequestHide, static_cast<WPARAM>(seconds), 0);
    }
}

bool WindowedHost::isVisible() { return progressDialog() && IsWindowVisible(progressDialog()); }

void WindowedHost::showMessage(const LString& text) {
    const LString caption = getTitle();
    MessageBoxA(progressDialog(), text.c_str(), caption.c_str(), MB_OK);
}

LString WindowedHost::getTitle() {
    char title[512] = {};
    const int length = progressDialog() ? GetWindowTextA(progressDialog(), title, sizeof title) : 0;
    return LString(title, static_cast<LString::size_type>(length > 0 ? length : 0));
}

void WindowedHost::setTitle(const LString& text) {
    if (progressDialog()) SetWindowTextA(progressDialog(), text.c_str());
}

LString WindowedHost::chooseDirectory() {
    ComScope com;
    char displayName[MAX_PATH] = {};
    const LString title = loadString(StringId::ChooseDestination);
    BROWSEINFOA browse = {};
    browse.hwndOwner = progressDialog();
    browse.pszDisplayName = displayName;
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_DONTGOBELOWDOMAIN;
    ShellItemList chosen(SHBrowseForFolderA(&browse));
    if (!chosen.get()) return LString();
    char path[MAX_PATH] = {};
    return SHGetPathFromIDListA(chosen.get(), path) ? LString(path) : LString();
}

LauncherHost* createWindowedHost(ArgumentList& args) { return new WindowedHost(args); }

}  // namespace wiz
