// Verification of a candidate JVM home: the java executable must exist and, run on the
// verification class with the names of the required properties, print the marker line and
// the expected values.
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

}  // namespace

void warnNoProperties(const JvmDescriptor& descriptor) {
    writeLog("Unable to verify " + descriptor.sourceName() +
                 " because the JVM_PROPERTIES tag was not specified.",
             kLogWarning);
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
    const int32_t count = document.valueCount("JVM_PROPERTIES");
    if (count == 0 && !jvmFile)
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
    if (tag("JVM_PROPERTIES").empty()) {
        warnNoProperties(*this);
        return nullptr;
    }
    return verifyAt(tag("JVM_HOME"), classPathArg, classArg);
}

std::unique_ptr<LaunchScript> JvmDescriptor::verificationScript(
    const LString& home, const LString& classPathArg, const LString& classArg,
    PropertyRequirementList& requirements) const {
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
        requirements.appendOwned(std::move(requirement));
    }

    auto script = std::make_unique<LaunchScript>(command, true, false);
    // Each candidate starts from the launcher's own environment, and in environment-variable
    // mode the class path goes into the one variable every java reads.
    script->restoreEnvironment = true;
    script->classPathVariable = "CLASSPATH";
    return script;
}

bool JvmDescriptor::runVerification(const LString& home, const LString& classPathArg,
                                    const LString& classArg) {
    document().setValue("JVM_HOME", home);
    const bool classPathVariable = tag("USE_CP_ENV_VAR") == "1";
    if (!classPathVariable && tag("CLASSPATH").empty() && !classpathWarned_) {
        classpathWarned_ = true;
        writeLog("JVM File " + sourceName() +
                     " has no CLASSPATH tag: java gets the verification archive without a "
                     "class-path option, so no runtime verifies with it.",
                 kLogWarning);
    }

    PropertyRequirementList requirements;
    const std::unique_ptr<LaunchScript> script =
        verificationScript(home, classPathArg, classArg, requirements);
    bool verified = false;
    try {
        script->launch(*this, nullptr, false);
        verified = checkVerifyOutput(script->stdoutText, requirements);
    } catch (const ProcessStartException& e) {
        // This java cannot run here (not a program for this system, no permission): the next
        // candidate may.
        writeLog("Skipping JVM at " + home + ": " + e.message(), kLogWarning);
    }
    uiStepProgress(6);
    return verified;
}

bool JvmDescriptor::checkVerifyOutput(const LString& output,
                                      const PropertyRequirementList& requirements) {
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
    for (int32_t i = 0; i < requirements.count() && position < output.length(); ++i) {
        if (!matches(nextLine(output, position), requirements.getPayload(i)->expected)) {
            return false;
        }
    }
    return true;
}

LString JvmMatch::writeJvmFile() const {
    const LString path = createTempFileName();
    document_.setJvmResult(home, path, isTemporary);
    if (!document_.write(path)) throw LauncherException("Cannot write the JVM file " + path + ".");
    return path;
}

}  // namespace wiz
