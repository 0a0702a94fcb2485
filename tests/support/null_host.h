// A launcher host that does nothing, which test hosts derive from and override only what they
// watch, and the one way a test installs a host.
#pragma once

#include "services/host.h"

namespace wiztest {

class NullHost : public wiz::LauncherHost {
public:
    bool initialize(void*, int) override { return true; }
    int run() override { return 0; }
    void setStatus(const wiz::LString&) override {}
    void setStatus2(const wiz::LString&, const wiz::LString&) override {}
    void stepProgress(int) override {}
    void setProgress(int) override {}
    void show() override {}
    void hide(int) override {}
    bool isVisible() override { return false; }
    void showMessage(const wiz::LString&) override {}
    wiz::LString getTitle() override { return wiz::LString(); }
    void setTitle(const wiz::LString&) override {}
    wiz::LString chooseDirectory() override { return wiz::LString(); }
};

// Installs a host as the current host while it lives, then puts the previous one back.
class ScopedHost {
public:
    explicit ScopedHost(wiz::LauncherHost& host)
        : previous_(wiz::hostState().host.exchange(&host)) {}
    ~ScopedHost() { wiz::hostState().host = previous_; }
    ScopedHost(const ScopedHost&) = delete;
    ScopedHost& operator=(const ScopedHost&) = delete;

private:
    wiz::LauncherHost* previous_;
};

}  // namespace wiztest
