#include "launch/running_children.h"

#include <chrono>
#include <mutex>

namespace wiz {

namespace {

std::mutex& registryLock() {
    static std::mutex lock;
    return lock;
}

}  // namespace

RunningChildren& runningChildren() {
    static RunningChildren state;
    return state;
}

ChildRegistration::ChildRegistration(std::unique_ptr<ChildWatch> watch) : watch_(std::move(watch)) {
    if (!watch_) return;
    RunningChildren& r = runningChildren();
    bool endAtOnce = false;
    {
        std::lock_guard<std::mutex> guard(registryLock());
        endAtOnce = r.ending;
        if (!endAtOnce) r.children.push_back(watch_);
    }
    if (endAtOnce) watch_->endNow();
}

ChildRegistration::~ChildRegistration() {
    if (!watch_) return;
    watch_->collected();
    RunningChildren& r = runningChildren();
    std::lock_guard<std::mutex> guard(registryLock());
    for (auto it = r.children.begin(); it != r.children.end(); ++it) {
        if (*it == watch_) {
            r.children.erase(it);
            break;
        }
    }
}

bool childrenEnding() {
    std::lock_guard<std::mutex> guard(registryLock());
    return runningChildren().ending;
}

ChildEndingResult endRunningChildren(const ChildEnding& ending) {
    std::vector<std::shared_ptr<ChildWatch>> children;
    {
        RunningChildren& r = runningChildren();
        std::lock_guard<std::mutex> guard(registryLock());
        r.ending = true;
        children = r.children;
    }
    ChildEndingResult result;
    result.hadChild = !children.empty();
    // A child that cannot get the event has no reason to be waited for.
    std::vector<std::shared_ptr<ChildWatch>> waiting;
    for (const auto& child : children) {
        const bool hasIt = ending.sentToGroup && child->sharesEvents();
        if (hasIt || (ending.signal != 0 && child->passOn(ending.signal)) ||
            (ending.signal == 0 && child->sharesEvents())) {
            waiting.push_back(child);
        } else {
            child->endNow();
        }
    }
    result.endedInTime = waiting.size() == children.size();
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(ending.graceMs);
    for (const auto& child : waiting) {
        const auto now = std::chrono::steady_clock::now();
        const auto left =
            deadline > now
                ? std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count()
                : 0;
        if (child->waitForEnd(static_cast<unsigned>(left))) {
            child->exitCode(result.exitCode);
        } else {
            result.endedInTime = false;
        }
        // Whatever it started in its own process group goes with it.
        child->endNow();
    }
    return result;
}

}  // namespace wiz
