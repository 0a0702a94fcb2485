// Verification of a candidate JVM home: the java executable must exist and, run on the
// verification class with the names of the required properties, print the marker line and
// the expected values, and a java.version within the descriptor's version range.
#include "base/exceptions.h"
#include "base/text_quote.h"
#include "jvm/jvm_descriptor.h"
#include "launch/launch_script.h"
#include "platform/path.h"
#include "services/host.h"
#include "services/log.h"
#include "tagdoc/text.h"
#include "tempfiles/temp_files.h"

namespace wiz {

namespace {

const char kMagicLine[] = "1739021872";
const char kVersionProperty[] = "java.version";

bool endsWithSeparator(const LString& path) {
    return !path.empty() && path[path.length() - 1] == kPathSeparator;
}

// The next line of `text`: carriage returns dropped, trimmed.
LString nextLine(const LString& text, LString::size_type& position) {
    LString line;
    readLineFromText(text, position, line);
    return line;
}

// The text without one pair of double quotes around it.
LString withoutQuotes(const LString& text) {
    if (text.length() >= 2 && text[0] == '"' && text[text.length() - 1] == '"') {
        return text.substr(1, text.length() - 2);
    }
    return text;
}

bool matches(const LString& line, const LString& expected) {
    const LString::size_type prefix = endsWith(expected, "...");
    if (prefix == LString::npos) return line == expected;
    return line.length() >= prefix && line.compare(0, prefix, expected, 0, prefix) == 0;
}

// How long a verification run may take unless the descriptor says otherwise, and the most it
// may say (a longer limit is taken as this one).
constexpr unsigned kVerifySeconds = 60;
constexpr unsigned kMostVerifySeconds = 1000000;

}  // namespace

unsigned JvmDescriptor::verifyTimeLimit() const {
    LString text = tag("VERIFY_TIMEOUT");
    trim(text);
    if (text.empty()) return kVerifySeconds;
    unsigned seconds = 0;
    for (LString::size_type i = 0; i < text.length(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            writeLog("Invalid VERIFY_TIMEOUT setting (" + quoteForMessage(text) + ") in JVM File " +
                         sourceName() + ": verification runs end after " +
                         numberToString(static_cast<int32_t>(kVerifySeconds)) + " seconds.",
                     kLogWarning);
            return kVerifySeconds;
        }
        if (seconds < kMostVerifySeconds) seconds = seconds * 10 + static_cast<unsigned>(c - '0');
    }
    return seconds < kMostVerifySeconds ? seconds : kMostVerifySeconds;
}

void warnNoProperties(const JvmDescriptor& descriptor) {
    writeLog("Unable to verify " + descriptor.sourceName() +
                 " because the JVM_PROPERTIES tag was not specified.",
             kLogWarning);
}

void warnFlawedRange(const JvmDescriptor& descriptor, const TagFlaw& flaw) {
    const LString line = flaw.line > 0 ? " line " + numberToString(flaw.line) : LString();
    writeLog("JVM File " + descriptor.sourceName() + line + ": " + flaw.message +
                 " No runtime is verified with it.",
             kLogWarning);
}

bool JvmDescriptor::isVerifiable() const {
    return !tag("JVM_PROPERTIES").empty() || document().hasTag(kMinVersionTag) ||
           document().hasTag(kMaxVersionTag);
}

bool JvmDescriptor::wasTried(const LString& home) const {
    for (int32_t i = 0; i < triedHomes_.count(); ++i) {
        if (samePath(triedHomes_.at(i), home)) return true;
    }
    return false;
}

bool parsePropertyRequirement(const LString& entry, PropertyRequirement& requirement) {
    const LString::size_type equals = entry.find('=');
    if (equals == LString::npos) return false;
    requirement.name = entry.substr(0, equals);
    requirement.expected = entry.substr(equals + 1);
    trim(requirement.name);
    trim(requirement.expected);
    return true;
}

void checkJvmDescriptor(const TagDocument& document, DocumentProblems& problems) {
    // A JVM file (a runtime already found, as ILAUNCH takes it) names its home and is not
    // searched for.
    const bool jvmFile = !document.getValue("JVM_HOME").empty();
    if (document.getValue("DESC").empty() && !jvmFile)
        problems.error(document.valueLine("DESC"),
                       "no DESC: the name of the runtime shown while it is searched for");
    if (document.getValue("JVM_EXE").empty() && !jvmFile)
        problems.error(document.valueLine("JVM_EXE"),
                       "no JVM_EXE: without the java executable no runtime can be verified");
    // A flawed range would leave the descriptor out of every search.
    JavaVersionRange range;
    TagFlaw flaw;
    const bool rangeRead = readJavaVersionRange(document, range, flaw);
    if (!rangeRead) problems.error(flaw.line, flaw.message);
    const int32_t count = document.valueCount("JVM_PROPERTIES");
    if (count == 0 && !jvmFile && !(rangeRead && range.present()))
        problems.warning(0, "no JVM_PROPERTIES: no hint search can verify a runtime");
    for (int32_t i = 0; i < count; ++i) {
        PropertyRequirement requirement;
        const LString entry = document.getValue("JVM_PROPERTIES", i);
        if (!parsePropertyRequirement(entry, requirement))
            problems.error(document.valueLine("JVM_PROPERTIES", i),
                           "Invalid JVM_PROPERTIES setting (" + quoteForMessage(entry) +
                               "): an entry is NAME=VALUE");
    }
}

std::unique_ptr<JvmMatch> JvmDescriptor::verifyAt(const LString& home, const LString& classPathArg,
                                                  const LString& classArg) {
    const LString jvmExe = tag("JVM_EXE");
    if (jvmExe.empty() || home.empty()) return nullptr;
    if (wasTried(home)) {
        writeLog("JVM at " + home + " already tried for JVM: " + tag("DESC"));
        return nullptr;
    }
    triedHomes_.append(home);
    StatusLine2Scope status;
    uiSetStatusLine2(3, tag("DESC"));
    const LString exe = home + (endsWithSeparator(home) ? LString() : pathSeparator()) + jvmExe;
    writeLog("Verifying JVM at " + exe + "\n   for JVM: " + tag("DESC"));
    if (!fileExists(exe)) {
        writeLog(exe + " does not exist");
        uiStepProgress(2);
        return nullptr;
    }
    if (!runVerification(home, classPathArg, classArg)) return nullptr;
    writeLog("Found matching JVM at " + home);
    return std::make_unique<JvmMatch>(home, document());
}

std::unique_ptr<JvmMatch> JvmDescriptor::verifyOwnHome(const LString& classPathArg,
                                                       const LString& classArg) {
    if (!isVerifiable()) {
        warnNoProperties(*this);
        return nullptr;
    }
    return verifyAt(tag("JVM_HOME"), classPathArg, classArg);
}

std::unique_ptr<LaunchScript> JvmDescriptor::verificationScript(
    const LString& home, const LString& classPathArg, const LString& classArg,
    VerificationRequest& request) const {
    const auto written = [](const LString& text) { return ExpansionText(text); };
    ExpansionText command = written("\"");
    command +=
        ExpansionText::inserted(home + (endsWithSeparator(home) ? LString() : pathSeparator()));
    command += written("@JVM_EXE@\" %CP%(");
    // Inside a quoted function argument a doubled quote stands for one: the class path reaches
    // the CP function in quotes of its own, which it keeps for a command line and drops for a
    // class-path variable.
    const LString classPath = withoutQuotes(classPathArg);
    if (!classPath.empty()) {
        command += written("\"\"\"") + ExpansionText::inserted(classPath) + written("\"\"\"");
    }
    command += written(")  @REQ_JAVA_ARGS@ ");
    const LString className = withoutQuotes(classArg);
    if (!className.empty()) {
        command += written("\"") + ExpansionText::inserted(className) + written("\"");
    }

    const int32_t count = document().valueCount("JVM_PROPERTIES");
    for (int32_t i = 0; i < count; ++i) {
        const LString entry = document().getValue("JVM_PROPERTIES", i);
        auto requirement = std::make_unique<PropertyRequirement>();
        if (!parsePropertyRequirement(entry, *requirement)) {
            writeLog("Invalid JVM_PROPERTIES setting (" + quoteForMessage(entry) +
                         ") in JVM File " + sourceName(),
                     kLogWarning);
            continue;
        }
        command += written(" " + requirement->name);
        if (request.range.present() && request.versionIndex < 0 &&
            requirement->name == kVersionProperty) {
            request.versionIndex = request.requirements.count();
        }
        request.requirements.appendOwned(std::move(requirement));
    }
    // The range is checked on java.version: asked for once more when no requirement names it.
    if (request.range.present() && request.versionIndex < 0) {
        command += written(LString(" ") + kVersionProperty);
        request.versionIndex = request.requirements.count();
    }

    auto script = std::make_unique<LaunchScript>(command, true, false);
    // Each candidate starts from the launcher's own environment, and in environment-variable
    // mode the class path goes into the one variable every java reads.
    script->restoreEnvironment = true;
    script->classPathVariable = "CLASSPATH";
    script->resultCache = resultCache_;
    return script;
}

bool JvmDescriptor::runVerification(const LString& home, const LString& classPathArg,
                                    const LString& classArg) {
    document().setValue("JVM_HOME", home);
    VerificationRequest request;
    request.home = home;
    request.description = tag("DESC");
    TagFlaw flaw;
    if (!readJavaVersionRange(document(), request.range, flaw)) {
        warnFlawedRange(*this, flaw);
        return false;
    }
    const bool classPathVariable = tag("USE_CP_ENV_VAR") == "1";
    if (!classPathVariable && tag("CLASSPATH").empty() && !classpathWarned_) {
        classpathWarned_ = true;
        writeLog("JVM File " + sourceName() +
                     " has no CLASSPATH tag: java gets the verification archive without a "
                     "class-path option, so no runtime verifies with it.",
                 kLogWarning);
    }

    // The command, its run, the check of what it printed.
    const std::unique_ptr<LaunchScript> script =
        verificationScript(home, classPathArg, classArg, request);
    // A java that never answers must not hold up the search, nor leave anything running.
    script->containChild = true;
    script->timeLimitSeconds = verifyTimeLimit();
    bool verified = false;
    try {
        script->launch(*this, nullptr, false);
        verified = checkVerifyOutput(script->stdoutText, request);
    } catch (const ProcessStartException& e) {
        // This java cannot run here (not a program for this system, no permission): the next
        // candidate may.
        writeLog("Skipping JVM at " + home + ": " + e.message(), kLogWarning);
    } catch (const ProcessTimeoutException& e) {
        writeLog("JVM at " + home + " not verified: " + e.message() +
                     " (VERIFY_TIMEOUT) and was ended with everything it started.",
                 kLogWarning);
    }
    uiStepProgress(6);
    return verified;
}

namespace {

// Whether the java.version the candidate reported lies in the range; logs why not.
bool versionInRange(const LString& value, const VerificationRequest& request) {
    int32_t feature = 0;
    if (!javaFeatureVersion(value, feature)) {
        writeLog("JVM at " + request.home + " reports java.version \"" + quoteForMessage(value) +
                     "\", which is not a Java version; " + request.description + " accepts Java " +
                     request.range.text() + ".",
                 kLogWarning);
        return false;
    }
    if (request.range.contains(feature)) return true;
    writeLog("JVM at " + request.home + " is Java " + numberToString(feature) + " (" + value +
             "); " + request.description + " accepts Java " + request.range.text() + ".");
    return false;
}

}  // namespace

bool JvmDescriptor::checkVerifyOutput(const LString& output, const VerificationRequest& request) {
    LString::size_type position = 0;
    LString line;
    bool found = false;
    while (position < output.length()) {
        line = nextLine(output, position);
        if (line == kMagicLine) {
            found = true;
            break;
        }
    }
    if (!found) {
        writeLog("Invalid magic value: " + quoteForMessage(line) + "\n", kLogError);
        return false;
    }
    // One value a line, in the order the command asked for them; a requirement whose value the
    // output does not reach is not compared, but the range needs its java.version.
    const PropertyRequirementList& requirements = request.requirements;
    const int32_t count = request.versionIndex >= requirements.count() ? request.versionIndex + 1
                                                                       : requirements.count();
    LString version;
    bool versionRead = false;
    for (int32_t i = 0; i < count && position < output.length(); ++i) {
        const LString value = nextLine(output, position);
        if (i < requirements.count() && !matches(value, requirements.getPayload(i)->expected)) {
            return false;
        }
        if (i == request.versionIndex) {
            version = value;
            versionRead = true;
        }
    }
    if (!request.range.present()) return true;
    if (!versionRead) {
        writeLog("JVM at " + request.home + " reported no java.version; " + request.description +
                     " accepts Java " + request.range.text() + ".",
                 kLogWarning);
        return false;
    }
    return versionInRange(version, request);
}

LString JvmMatch::writeJvmFile() const {
    const LString path = createTempFileName();
    document_.setJvmResult(home, path, isTemporary);
    if (!writeDocument(document_, path))
        throw LauncherException("Cannot write the JVM file " + path + ".");
    return path;
}

}  // namespace wiz
