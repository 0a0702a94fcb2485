#include "tools/check.h"

#include <string>

#include "base/exceptions.h"
#include "jvm/jvm_descriptor.h"
#include "launch/launch_script.h"
#include "platform/file.h"
#include "script/interpreter.h"
#include "tagdoc/document_check.h"
#include "tagdoc/tag_document.h"

namespace wizpack {

void checkDocuments(const PackJob& job, std::FILE* report) {
    int errors = 0;
    for (const PlannedEntry& e : job.entries) {
        const int32_t type = e.record.type;
        if (e.generated || type > wiz::kEntryLaunchScript) continue;
        const std::string prefix = e.origin.empty() ? std::string() : e.origin + ": ";
        wiz::TagDocument document;
        document.keepValueLines();
        wiz::DocumentProblems problems;
        try {
            wiz::FilePtr in = wiz::openFile(e.path.c_str(), "rb");
            if (!in) fail(prefix + "cannot open '" + e.path + "'");
            document.read(in.get(), wiz::LString(e.path), 0, -1);
            if (type == wiz::kEntryInstructions) wiz::checkInstructions(document, problems);
            if (type == wiz::kEntryJvmDescriptor) wiz::checkJvmDescriptor(document, problems);
            if (type == wiz::kEntryLaunchScript) wiz::checkLaunchScript(document, problems);
        } catch (const wiz::TagSyntaxError& syntax) {
            problems.error(syntax.line(), syntax.reason());
        } catch (const wiz::LauncherException& other) {
            problems.error(0, other.message());
        }
        for (const wiz::DocumentProblem& p : problems.all()) {
            std::fprintf(report, "%s%s%s: %s%s\n", prefix.c_str(), e.path.c_str(),
                         p.line > 0 ? (":" + std::to_string(p.line)).c_str() : "",
                         p.warning ? "warning: " : "", p.message.c_str());
            if (!p.warning) ++errors;
        }
    }
    if (errors > 0)
        fail(std::to_string(errors) + (errors == 1 ? " error" : " errors") +
             " in the documents: the launcher would reject them at run time");
}

}  // namespace wizpack
