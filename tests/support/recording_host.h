// A launcher host that records every call as one line of text, so tests can assert exactly what
// the launch logic asked the user interface to do.
#pragma once

#include <string>
#include <vector>

#include "services/host.h"
#include "support/null_host.h"

namespace wiztest {

class RecordingHost : public NullHost {
public:
    std::vector<std::string> calls;
    std::vector<std::string> messages;  // the texts of showMessage, in order
    std::string directoryAnswer;
    std::string title;
    bool visible = false;

    void setStatus(const wiz::LString& text) override { record("status:" + text.str()); }
    void setStatus2(const wiz::LString& line1, const wiz::LString& line2) override {
        record("status2:" + line1.str() + "|" + line2.str());
    }
    void stepProgress(int delta) override { record("step:" + std::to_string(delta)); }
    void setProgress(int percent) override { record("progress:" + std::to_string(percent)); }
    void show() override {
        visible = true;
        record("show");
    }
    void hide(int seconds) override {
        visible = false;
        record("hide:" + std::to_string(seconds));
    }
    bool isVisible() override { return visible; }
    void showMessage(const wiz::LString& text) override {
        messages.push_back(text.str());
        record("message:" + text.str());
    }
    wiz::LString getTitle() override { return wiz::LString(title); }
    void setTitle(const wiz::LString& text) override {
        title = text.str();
        record("title:" + title);
    }
    wiz::LString chooseDirectory() override {
        record("choose");
        return wiz::LString(directoryAnswer);
    }

private:
    void record(const std::string& call) { calls.push_back(call); }
};

}  // namespace wiztest
