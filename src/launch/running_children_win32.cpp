// Watching a child on Windows: a duplicate of its process handle, which stays valid (and its
// process id taken) until the watch goes. A console event reaches every process on the console
// by itself; a child without the launcher's console cannot be sent one.
#include "launch/running_children.h"
#include "platform/handle_win32.h"
#include "platform/win32.h"

namespace wiz {

namespace {

class Win32ChildWatch : public ChildWatch {
public:
    Win32ChildWatch(HANDLE process, bool sharesConsole) : sharesConsole_(sharesConsole) {
        HANDLE copy = nullptr;
        if (DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), &copy, 0, FALSE,
                            DUPLICATE_SAME_ACCESS)) {
            process_.reset(copy);
        }
    }

    bool sharesEvents() const override { return sharesConsole_; }
    bool passOn(int /*signal*/) override { return false; }

    bool waitForEnd(unsigned milliseconds) override {
        return !process_.valid() ||
               WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0;
    }

    void endNow() override {
        if (process_.valid() && WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) {
            TerminateProcess(process_.get(), STATUS_CONTROL_C_EXIT);
        }
    }

    bool exitCode(int& code) override {
        DWORD value = 0;
        if (!process_.valid() || WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(process_.get(), &value)) {
            return false;
        }
        code = static_cast<int>(value);
        return true;
    }

    void collected() override {}

private:
    HandleHolder process_;
    bool sharesConsole_;
};

}  // namespace

std::unique_ptr<ChildWatch> watchChild(intptr_t process, bool sharesConsole) {
    return std::make_unique<Win32ChildWatch>(reinterpret_cast<HANDLE>(process), sharesConsole);
}

}  // namespace wiz
