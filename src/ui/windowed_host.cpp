// The windowed host: a progress window on the user-interface thread, the launch on a worker.
#include "core/host.h"

namespace wiz {

namespace {

// Placeholder until the progress window is in place: refuses to start, so the entry point
// exits with -1 instead of running without a window.
class WindowedHost : public LauncherHost {
public:
    explicit WindowedHost(ArgumentList& args) : args_(&args) {}
    bool initialize(void*, int) override { return false; }
    int run() override { return 0; }
    void setStatus(const LString&) override {}
    void setStatus2(const LString&, const LString&) override {}
    void stepProgress(int) override {}
    void setProgress(int) override {}
    void show() override {}
    void hide(int) override {}
    bool isVisible() override { return false; }
    void showMessage(const LString&) override {}
    LString getTitle() override { return LString(); }
    void setTitle(const LString&) override {}
    LString chooseDirectory() override { return LString(); }

private:
    ArgumentList* args_;
};

}  // namespace

LauncherHost* createWindowedHost(ArgumentList& args) { return new WindowedHost(args); }

}  // namespace wiz
