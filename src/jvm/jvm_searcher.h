// The JVM searcher: the registered JVM descriptors in search order and the verification class.
#pragma once

#include <cstdint>
#include <memory>

#include "base/lstring.h"
#include "base/ptrlist.h"
#include "jvm/jvm_descriptor.h"

namespace wiz {

class JvmSearcher {
public:
    JvmSearcher() = default;
    JvmSearcher(const JvmSearcher&) = delete;
    JvmSearcher& operator=(const JvmSearcher&) = delete;

    // Appends a descriptor; the registration order is the search order. The searcher owns it.
    JvmDescriptor& registerDescriptor(std::unique_ptr<JvmDescriptor> descriptor);
    int32_t descriptorCount() const { return descriptors_.count(); }
    // The descriptor at 0-based `index`; null outside 0..count-1.
    JvmDescriptor* descriptorAt(int32_t index) const { return descriptors_.getPayload(index); }

    // The class path and class name of the verification run, when an input document names them.
    void setVerifyClassPath(const LString& classPath) { verifyClassPathArg_ = classPath; }
    void setVerifyClassName(const LString& className) { verifyClassArg_ = className; }
    const LString& verifyClassPath() const { return verifyClassPathArg_; }
    const LString& verifyClassName() const { return verifyClassArg_; }

private:
    TypedList<JvmDescriptor> descriptors_;
    LString verifyClassPathArg_;
    LString verifyClassArg_;
};

}  // namespace wiz
