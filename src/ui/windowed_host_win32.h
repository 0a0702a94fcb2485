// The windowed host: a hidden main window and the modeless progress dialog on the process's main
// thread, which pumps messages, while a worker thread performs the whole launch.
//
// The worker reports through the host operations; they reach the dialog only by sending it
// messages (the texts are copied before the call returns). The user-interface thread in turn
// writes only hostState().cancelRequested and runs the dialog's two timers.
#pragma once

#include "core/arguments.h"
#include "platform/handle_win32.h"
#include "platform/win32.h"
#include "services/host.h"

namespace wiz {

class WindowedHost : public LauncherHost {
public:
    explicit WindowedHost(ArgumentList& args) : args_(&args) {}

    const ArgumentList& arguments() const { return *args_; }

    // Registers the window class (string 1) and creates the hidden main window, which creates
    // the progress dialog and starts the worker. The show command is not used.
    bool initialize(void* instance, int showCommand) override;
    LString initializeFailure() const override { return initializeFailure_; }
    // The message loop; when it has ended, returns the launch's result (as the console host
    // does), -1 when no launch ran.
    int run() override;
    void setStatus(const LString& text) override;
    void setStatus2(const LString& line1, const LString& line2) override;
    void stepProgress(int delta) override;
    void setProgress(int percent) override;
    void show() override;
    void hide(int seconds) override;
    bool isVisible() override;
    void showMessage(const LString& text) override;
    LString getTitle() override;
    void setTitle(const LString& text) override;
    LString chooseDirectory() override;

private:
    ArgumentList* args_;
    LString initializeFailure_;
};

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The worker: runs the launch for hostState().host, then asks the main window to close.
DWORD WINAPI launchWorker(LPVOID unused);
// GetMessage/DispatchMessage in the system's own character set until the quit message; its code.
int runMessageLoop();

}  // namespace wiz
