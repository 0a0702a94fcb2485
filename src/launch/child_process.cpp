#include "launch/child_process.h"

#include "launch/capture_loop.h"
#include "services/host.h"

namespace wiz {

int runCommand(const LString& commandLine, const RunOptions& options) {
    // What the launcher has written comes first; a child that shares the console starts its
    // output on a line of its own.
    uiBeforeChildRuns(options.showConsole && !options.newConsole && !options.capture);
    ChildProcess child(commandLine, options);
    return child.runProcess();
}

int ChildProcess::runProcess() {
    std::unique_ptr<RunningChild> child = startChild(commandLine_, options_);
    if (!options_.capture) return options_.wait ? child->waitForEnd() : 0;
    OutputCapture out(options_.stdoutBuffer, OutputCapture::Keep::Start,
                      OutputCapture::kKeptOutputBytes, options_.stdoutLeftOut);
    OutputCapture err(options_.stderrBuffer, OutputCapture::Keep::End,
                      OutputCapture::kKeptErrorBytes, options_.stderrLeftOut);
    const unsigned limitMs = options_.contain ? options_.timeLimitSeconds * 1000u : 0;
    const int code = captureUntilEnd(*child, out, err, limitMs);
    out.finish();
    err.finish();
    return code;
}

void OutputCapture::received(const char* data, size_t count) {
    uiStepProgress(1);
    if (!buffer_) return;
    const size_t held = buffer_->length();
    if (keep_ == Keep::Start) {
        const size_t room = held < limit_ ? limit_ - held : 0;
        const size_t taken = count < room ? count : room;
        if (taken != 0) buffer_->append(data, static_cast<LString::size_type>(taken));
        leave(count - taken);
        return;
    }
    buffer_->append(data, static_cast<LString::size_type>(count));
    // The front goes only once the buffer holds twice the limit, so that a long stream is moved
    // about once per limit's worth of bytes, not once per chunk.
    if (buffer_->length() / 2 > limit_) trimFront();
}

void OutputCapture::finish() {
    if (buffer_ && keep_ == Keep::End && buffer_->length() > limit_) trimFront();
}

void OutputCapture::trimFront() {
    size_t dropped = buffer_->length() - limit_;
    // The part kept begins with a whole line when a line begins in it.
    if ((*buffer_)[dropped - 1] != '\n') {
        const LString::size_type lineEnd = buffer_->find('\n', dropped);
        if (lineEnd != LString::npos && lineEnd + 1 < buffer_->length()) dropped = lineEnd + 1;
    }
    buffer_->erase(0, static_cast<LString::size_type>(dropped));
    leave(dropped);
}

void OutputCapture::ended() {
    if (ended_) return;
    ended_ = true;
    uiStepProgress(1);
}

}  // namespace wiz
