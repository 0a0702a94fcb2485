// Owning holders for Win32 handles. Each kind of handle has a trait that names its invalid value
// and how it is closed, so no error path has to close a handle by hand.
#pragma once

#include "platform/win32.h"

namespace wiz {

template <typename Traits>
class ScopedHandle {
public:
    using Handle = typename Traits::Handle;

    ScopedHandle() : handle_(Traits::invalid()) {}
    explicit ScopedHandle(Handle h) : handle_(h) {}
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~ScopedHandle() { reset(); }

    Handle get() const { return handle_; }
    bool valid() const { return Traits::isValid(handle_); }
    explicit operator bool() const { return valid(); }

    // Closes the current handle (if any) and takes ownership of `h`.
    void reset(Handle h = Traits::invalid()) {
        if (Traits::isValid(handle_)) Traits::close(handle_);
        handle_ = h;
    }
    // Gives up ownership without closing.
    Handle release() {
        Handle h = handle_;
        handle_ = Traits::invalid();
        return h;
    }
    // For APIs that write a new handle through a pointer; the old one is closed first.
    Handle* receive() {
        reset();
        return &handle_;
    }

private:
    Handle handle_;
};

// Processes, threads, events, pipes from CreatePipe: invalid is NULL.
struct CommonHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return nullptr; }
    static bool isValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(Handle h) { ::CloseHandle(h); }
};

// Files from CreateFile: invalid is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static bool isValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(Handle h) { ::CloseHandle(h); }
};

// Searches from FindFirstFile.
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static bool isValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(Handle h) { ::FindClose(h); }
};

// Open registry keys. The predefined root keys are never closed through a holder.
struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle invalid() { return nullptr; }
    static bool isValid(Handle h) { return h != nullptr; }
    static void close(Handle h) { ::RegCloseKey(h); }
};

using HandleHolder = ScopedHandle<CommonHandleTraits>;
using FileHandle = ScopedHandle<FileHandleTraits>;
using FindHandle = ScopedHandle<FindHandleTraits>;
using RegistryKeyHolder = ScopedHandle<RegistryKeyTraits>;

}  // namespace wiz
