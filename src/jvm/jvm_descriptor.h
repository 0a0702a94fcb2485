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
#include "tagdoc/document_check.h"
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
    // Verifies the home the document's own JVM_HOME names (JVM_PROPERTIES required).
    std::unique_ptr<JvmMatch> verifyOwnHome(const LString& classPathArg, const LString& classArg);
    // Builds and runs the verification command for `home`; whether its output matches.
    bool runVerification(const LString& home, const LString& classPathArg, const LString& classArg);
    // The verification run for `home`: the command "HOME\@JVM_EXE@" %CP%("CLASSPATH")
    // @REQ_JAVA_ARGS@ "CLASS" NAMES, with the home, the class path and the class name put in as
    // inserted values (one pair of quotes around the class path or class name taken off
    // first), capturing its output and putting back the environment it sets; in
    // environment-variable mode its class path goes into CLASSPATH. Fills `requirements` from
    // JVM_PROPERTIES, whose names end the command.
    std::unique_ptr<LaunchScript> verificationScript(const LString& home,
                                                     const LString& classPathArg,
                                                     const LString& classArg,
                                                     PropertyRequirementList& requirements) const;
    // Whether the output holds the marker line followed by the required values, in order.
    static bool checkVerifyOutput(const LString& output,
                                  const PropertyRequirementList& requirements);

    // The strategies of the hint search: registry locations (PLATFORM_HINT), directories
    // (PATH_HINT) and the platform's own java directories. A match, or null.
    std::unique_ptr<JvmMatch> searchPlatformHints(const LString& classPathArg,
                                                  const LString& classArg);
    std::unique_ptr<JvmMatch> searchPathHints(const LString& classPathArg, const LString& classArg);
    std::unique_ptr<JvmMatch> searchPlatformJvmPaths(const LString& classPathArg,
                                                     const LString& classArg);

private:
    // The common opening of the strategies: false (with a warning) without JVM_PROPERTIES.
    bool startStrategy(const char* suffix);

    StringList triedHomes_;
    // The warning about a missing CLASSPATH tag is logged once.
    bool classpathWarned_ = false;
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

// The warning of a descriptor without JVM_PROPERTIES.
void warnNoProperties(const JvmDescriptor& descriptor);

// Checks a descriptor before it is packed: it names its family (DESC) and its java executable
// (JVM_EXE), and every JVM_PROPERTIES entry has its "=" (the launcher skips one without); no
// JVM_PROPERTIES at all is a warning, as no hint search can then verify a runtime. A JVM file
// (one with JVM_HOME: a runtime already found) needs neither DESC nor JVM_EXE.
void checkJvmDescriptor(const TagDocument& document, DocumentProblems& problems);

}  // namespace wiz
