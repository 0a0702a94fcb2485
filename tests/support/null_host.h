// A launcher host that does nothing: test hosts derive from it and override only what they
// watch.
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

}  // namespace wiztest
