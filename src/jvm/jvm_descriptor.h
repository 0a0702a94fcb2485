// A JVM descriptor: the tag document that describes one family of Java runtimes (its java
// executable, hints where it is installed, the properties a suitable runtime reports and the
// option fragments of the launch script), the verification of a candidate home, the three hint
// strategies of the search, and the match of a verified home.
#pragma once

#include <memory>

#include "base/lstring.h"
#include "base/ptrlist.h"
#include "launch/jvm_tags.h"
#include "launch/launch_script.h"
#include "launch/run_result_cache.h"
#include "tagdoc/document_check.h"
#include "tagdoc/java_version.h"
#include "tagdoc/tag_document.h"

namespace wiz {

class JvmMatch;

// One JVM_PROPERTIES entry: the property's name and the value a suitable runtime reports (a
// value ending in "..." is a prefix).
struct PropertyRequirement {
    LString name;
    LString expected;
};
class PropertyRequirementList : public TypedList<PropertyRequirement> {};

// What a verification run asks the candidate and what its answer must hold: the JVM_PROPERTIES
// requirements, in order, and the range of feature versions (JVM_MIN_VERSION, JVM_MAX_VERSION),
// checked on the java.version the run reports.
struct VerificationRequest {
    PropertyRequirementList requirements;
    JavaVersionRange range;
    // Where java.version stands among the property names the command asks for: a requirement's
    // place, or the place after them when the command asks for it for the range alone; -1
    // without a range.
    int32_t versionIndex = -1;
    // For the log: the candidate and the descriptor.
    LString home;
    LString description;
};

// Reads a JVM_PROPERTIES entry "name=value" (both trimmed); false for one without "=".
bool parsePropertyRequirement(const LString& entry, PropertyRequirement& requirement);

class JvmDescriptor : public JvmTags {
public:
    // The document is not owned: an embedded one belongs to its file-index entry, a file read
    // from disk to whoever loaded it. It must outlive the descriptor. Verification and the JVM
    // file update its JVM_HOME, JVM_FILE and JVM_TEMP tags.
    explicit JvmDescriptor(TagDocument& document) : JvmTags(document) {}

    // The entry name of an embedded descriptor or the path of a file, for messages.
    const LString& sourceName() const { return document().sourceName(); }

    // Verifies the candidate home: its java executable (JVM_EXE) must exist and report the
    // JVM_PROPERTIES when run on the verification class. A match, or null. A java program that
    // cannot be started is logged with the system's reason and gives null. A home already tried
    // since forgetTriedHomes (the same place, samePath) is not run again.
    std::unique_ptr<JvmMatch> verifyAt(const LString& home, const LString& classPathArg,
                                       const LString& classArg);
    // Whether verifyAt has tried the home since forgetTriedHomes.
    bool wasTried(const LString& home) const;
    // Starts a new search: every home may be tried once more.
    void forgetTriedHomes() { triedHomes_.clear(); }
    // Verifies the home the document's own JVM_HOME names (JVM_PROPERTIES or a version range
    // required).
    std::unique_ptr<JvmMatch> verifyOwnHome(const LString& classPathArg, const LString& classArg);
    // Whether a candidate can be told suitable or not: the descriptor names JVM_PROPERTIES or a
    // version range.
    bool isVerifiable() const;
    // Builds and runs the verification command for `home`; whether its output matches. A
    // descriptor whose version range is flawed verifies nothing (logged). A run
    // that takes longer than verifyTimeLimit is ended with all it started and does not match.
    bool runVerification(const LString& home, const LString& classPathArg, const LString& classArg);
    // The verification run for `home`: the command "HOME\@JVM_EXE@" %CP%("CLASSPATH")
    // @REQ_JAVA_ARGS@ "CLASS" NAMES, with the home, the class path and the class name put in as
    // inserted values (one pair of quotes around the class path or class name taken off
    // first), capturing its output and putting back the environment it sets; in
    // environment-variable mode its class path goes into CLASSPATH. Fills `request` from
    // JVM_PROPERTIES, whose names end the command, followed by java.version when the range
    // needs it and no requirement names it. The range itself is the caller's to read.
    std::unique_ptr<LaunchScript> verificationScript(const LString& home,
                                                     const LString& classPathArg,
                                                     const LString& classArg,
                                                     VerificationRequest& request) const;
    // Whether the output holds the marker line followed by the values the request asks for, in
    // order: each required value (requirements beyond the end of the output are not compared),
    // and with a range a java.version whose feature version lies in it (logged when not).
    static bool checkVerifyOutput(const LString& output, const VerificationRequest& request);
    // Lets the verification runs keep their results in `cache` (not owned; null: nothing is
    // kept): a run with the same command line, folder and variables as a kept one starts nothing
    // (LaunchScript::resultCache).
    void keepResultsIn(RunResultCache* cache) { resultCache_ = cache; }
    // Seconds a verification run may take: VERIFY_TIMEOUT (0: no limit), 60 when the tag is
    // missing or not a number (with a warning).
    unsigned verifyTimeLimit() const;

    // The strategies of the hint search: registry locations (PLATFORM_HINT), directories
    // (PATH_HINT) and the platform's own java directories. A match, or null.
    std::unique_ptr<JvmMatch> searchPlatformHints(const LString& classPathArg,
                                                  const LString& classArg);
    std::unique_ptr<JvmMatch> searchPathHints(const LString& classPathArg, const LString& classArg);
    std::unique_ptr<JvmMatch> searchPlatformJvmPaths(const LString& classPathArg,
                                                     const LString& classArg);

private:
    // The common opening of the strategies: false (with a warning) when the descriptor is not
    // verifiable.
    bool startStrategy(const char* suffix);

    StringList triedHomes_;
    // The warning about a missing CLASSPATH tag is logged once.
    bool classpathWarned_ = false;
    RunResultCache* resultCache_ = nullptr;
};

// A verified JVM home of one descriptor.
class JvmMatch {
public:
    JvmMatch(const LString& verifiedHome, TagDocument& document, bool temporary = false)
        : home(verifiedHome), isTemporary(temporary), document_(document) {}

    // Writes the descriptor document, completed with this match (JVM_HOME the home, JVM_FILE the
    // new file's own path, JVM_TEMP "1" for a temporary home), to a new temporary file (prefix
    // "LRE", removed at exit unless taken off the registry) and returns its path.
    LString writeJvmFile() const;

    TagDocument& document() const { return document_; }

    // The home exactly as it was verified.
    LString home;
    // Found relative to the launcher's directory (a bundled runtime).
    bool isTemporary = false;

private:
    TagDocument& document_;
};

// Result lists own their matches.
class JvmMatchList : public TypedList<JvmMatch> {};

// The warning of a descriptor without JVM_PROPERTIES or a version range.
void warnNoProperties(const JvmDescriptor& descriptor);
// The warning of a descriptor whose version range is flawed: its file, the line where known, and
// what is wrong.
void warnFlawedRange(const JvmDescriptor& descriptor, const TagFlaw& flaw);

// Checks a descriptor before it is packed: it names its family (DESC) and its java executable
// (JVM_EXE), every JVM_PROPERTIES entry has its "=" (the launcher skips one without), and its
// version range is sound; neither JVM_PROPERTIES nor a range is a warning, as no hint search can
// then verify a runtime. A JVM file
// (one with JVM_HOME: a runtime already found) needs neither DESC nor JVM_EXE.
void checkJvmDescriptor(const TagDocument& document, DocumentProblems& problems);

}  // namespace wiz
