// Failure types shared by every subsystem.
#pragma once

#include <cstdint>

#include "base/lstring.h"

namespace wiz {

// The launcher's one failure channel between subsystems: a complete user-readable message.
class LauncherException {
public:
    explicit LauncherException(LString message) : message_(std::move(message)) {}
    virtual ~LauncherException() = default;
    const LString& message() const { return message_; }

private:
    LString message_;
};

// A program could not be started at all (it is missing, not an executable for this system, or
// may not be run): a failure of that one program, not of the launcher. Callers that try several
// programs in turn (the JVM search) go on with the next one.
class ProcessStartException : public LauncherException {
public:
    using LauncherException::LauncherException;
};

// A child did not end within the time it was given and was ended, together with everything it
// started: a failure of that one program, like ProcessStartException.
class ProcessTimeoutException : public LauncherException {
public:
    using LauncherException::LauncherException;
};

// A temporary directory or name could not be made: a failure of the run's temporary directory,
// whatever the run was doing when it needed one (a search reports it as the cause, not as a
// runtime that was not found).
class TempNameException : public LauncherException {
public:
    using LauncherException::LauncherException;
};

// Raised only by the instruction interpreter; deliberately not a LauncherException so that
// handlers of the latter do not swallow it.
class InstructionsException {
public:
    InstructionsException(LString message, int32_t line)
        : message_(std::move(message)), line_(line) {}
    virtual ~InstructionsException() = default;
    const LString& message() const { return message_; }
    int32_t line() const { return line_; }

private:
    LString message_;
    int32_t line_;
};

// Thrown by LString when a result would exceed its maximum length.
class LengthException {};
// Thrown by LString when a position lies beyond the string it refers to.
class RangeException {};

}  // namespace wiz
