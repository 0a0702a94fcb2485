// The JVM searcher: the registered JVM descriptors in search order, the verification class, the
// hint-driven search and the exhaustive drive scan.
#pragma once

#include <cstdint>
#include <memory>

#include "base/lstring.h"
#include "base/ptrlist.h"
#include "jvm/drive_search.h"
#include "jvm/jvm_descriptor.h"
#include "launch/run_result_cache.h"

namespace wiz {

// The candidate homes the drive scan found for one descriptor, in the order found, each once.
struct UnverifiedMatches {
    JvmDescriptor* descriptor = nullptr;
    StringList homes;
};

class JvmSearcher : public FileVisitor {
public:
    JvmSearcher() = default;
    JvmSearcher(const JvmSearcher&) = delete;
    JvmSearcher& operator=(const JvmSearcher&) = delete;

    // Appends a descriptor; the registration order is the search order. The searcher owns it.
    // A descriptor whose version range is flawed is left out with a warning (null). Its
    // verification runs keep their results in verificationResults().
    JvmDescriptor* registerDescriptor(std::unique_ptr<JvmDescriptor> descriptor);
    int32_t descriptorCount() const { return descriptors_.count(); }
    // The descriptor at 0-based `index`; null outside 0..count-1.
    JvmDescriptor* descriptorAt(int32_t index) const { return descriptors_.getPayload(index); }

    // The class path and class of the verification run, as an input document names them; they
    // are then used unchanged and no archive is extracted.
    void setVerificationArgs(const LString& classPath, const LString& className);
    const LString& verifyClassPathArg() const { return verifyClassPathArg_; }
    const LString& verifyClassArg() const { return verifyClassArg_; }
    // Extracts the embedded verification archive (the last one of type 5) once and sets the
    // arguments to its quoted path and the quoted class name Verify. Without such an archive
    // they stay empty (every verification then fails) and the next search tries again.
    void prepareVerification();

    // The search behind FIND_JVM and SEARCH: the -cv:javahome directory with every descriptor,
    // then each descriptor's registry and folder hints in order (up to the first one with
    // SEARCH_ALL), then, if that descriptor asks for it, the drive scan, and last the system's
    // own places with every descriptor. Each home is verified at most once per descriptor.
    // Appends at most one match.
    void searchForJvm(JvmMatchList& results);
    // The java program a user picked, verified with each descriptor whose JVM_EXE its path ends
    // with (after a separator), in order: the first match, or null.
    std::unique_ptr<JvmMatch> verifyPickedProgram(const LString& path);
    // The DESC of every descriptor, "; " between them: what a suitable runtime is.
    LString requiredDescriptions() const;
    // The search behind SEARCH_ALL: every JVM on every drive, each verified home appended.
    void searchAllJvms(JvmMatchList& results);
    // The drive scan for every descriptor's JVM_EXE, then the verification of what it found;
    // with stopAtFirst it ends at the first verified match.
    void exhaustiveSearch(JvmMatchList& results);

    // The drive scan's visitor: records the file's home for each descriptor whose JVM_EXE the
    // path ends with (the first descriptor's is verified at once with stopAtFirst); true ends
    // the scan.
    bool visit(const LString& path) override;
    void recordUnverified(JvmDescriptor& descriptor, const LString& home);
    const TypedList<UnverifiedMatches>& unverifiedMatches() const { return unverified_; }

    // The results of the verification runs of this launcher run: each java is run once per
    // command line, folder and variables, whichever descriptor or search asks.
    RunResultCache& verificationResults() { return verificationResults_; }

    bool stopAtFirst = false;

private:
    // No match yet, the verification prepared, every home untried.
    void startSearch();

    TypedList<JvmDescriptor> descriptors_;
    std::unique_ptr<JvmMatch> foundMatch_;
    TypedList<UnverifiedMatches> unverified_;
    LString verifyClassPathArg_;
    LString verifyClassArg_;
    RunResultCache verificationResults_;
};

}  // namespace wiz
