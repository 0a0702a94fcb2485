#include "launch/running_children.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// A child as the registry sees it, recording what the ending did to it.
struct ChildLog {
    bool passedOn = false;
    bool endedNow = false;
    unsigned waitedMs = 0;
};

class FakeWatch : public wiz::ChildWatch {
public:
    FakeWatch(std::shared_ptr<ChildLog> log, bool shares, bool canPass, bool endsInTime)
        : log_(std::move(log)), shares_(shares), canPass_(canPass), endsInTime_(endsInTime) {}
    bool sharesEvents() const override { return shares_; }
    bool passOn(int) override {
        log_->passedOn = true;
        return canPass_;
    }
    bool waitForEnd(unsigned ms) override {
        log_->waitedMs = ms;
        return endsInTime_;
    }
    void endNow() override { log_->endedNow = true; }
    bool exitCode(int& code) override {
        code = 7;
        return endsInTime_;
    }
    void collected() override {}

private:
    std::shared_ptr<ChildLog> log_;
    bool shares_, canPass_, endsInTime_;
};

class RunningChildrenTest : public ::testing::Test {
protected:
    void SetUp() override { wiz::runningChildren() = wiz::RunningChildren(); }
    void TearDown() override { wiz::runningChildren() = wiz::RunningChildren(); }
};

TEST_F(RunningChildrenTest, EndingPassesOnWaitsAndEnds) {
    struct Case {
        const char* name;
        bool sentToGroup, shares, canPass, endsInTime;
        int signal;
        bool passedOn, waited, endedInTime;
    } cases[] = {
        // A signal to the launcher alone is passed on, and the child is waited for.
        {"alone", false, true, true, true, 15, true, true, true},
        // The terminal's signal reached a child of the same group already.
        {"group", true, true, true, true, 2, false, true, true},
        // A child outside the group gets it passed on.
        {"group, own group", true, false, true, true, 2, true, true, true},
        // A child that cannot get the event is not waited for.
        {"no console", true, false, false, true, 0, false, false, false},
        // A child that does not end in time.
        {"stubborn", false, true, true, false, 15, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wiz::runningChildren() = wiz::RunningChildren();
        auto log = std::make_shared<ChildLog>();
        wiz::ChildEndingResult result;
        {
            wiz::ChildRegistration child(
                std::make_unique<FakeWatch>(log, c.shares, c.canPass, c.endsInTime));
            wiz::ChildEnding ending;
            ending.signal = c.signal;
            ending.sentToGroup = c.sentToGroup;
            ending.graceMs = 5000;
            result = wiz::endRunningChildren(ending);
        }
        EXPECT_TRUE(result.hadChild);
        EXPECT_EQ(log->passedOn, c.passedOn);
        EXPECT_EQ(log->waitedMs > 0, c.waited);
        EXPECT_LE(log->waitedMs, 5000u);
        // Whatever it started goes in any case.
        EXPECT_TRUE(log->endedNow);
        EXPECT_EQ(result.endedInTime, c.endedInTime);
        if (c.endedInTime) {
            EXPECT_EQ(result.exitCode, 7);
        }
    }
}

TEST_F(RunningChildrenTest, ChildStartedWhileEndingIsEndedAtOnce) {
    wiz::endRunningChildren(wiz::ChildEnding());
    EXPECT_TRUE(wiz::childrenEnding());
    auto log = std::make_shared<ChildLog>();
    wiz::ChildRegistration child(std::make_unique<FakeWatch>(log, true, true, true));
    EXPECT_TRUE(log->endedNow);
    EXPECT_TRUE(wiz::runningChildren().children.empty());
}

}  // namespace
