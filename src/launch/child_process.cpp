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
    OutputCapture out(options_.stdoutBuffer), err(options_.stderrBuffer);
    return captureUntilEnd(*child, out, err);
}

void OutputCapture::received(const char* data, size_t count) {
    if (buffer_) buffer_->append(data, static_cast<LString::size_type>(count));
    uiStepProgress(1);
}

void OutputCapture::ended() {
    if (ended_) return;
    ended_ = true;
    uiStepProgress(1);
}

}  // namespace wiz
