// What a check of a document finds before the document is used (the packing tool checks every
// document it packs the way the launcher will read it): problems, each on a line of the
// document. An error is what the launcher would reject or could not use; a warning is worth a
// look but works.
#pragma once

#include <cstdint>
#include <vector>

#include "base/lstring.h"

namespace wiz {

struct DocumentProblem {
    int32_t line;  // 1-based line of the document; 0 when it is about the whole document
    bool warning;
    LString message;
};

class DocumentProblems {
public:
    void error(int32_t line, const LString& message) { list_.push_back({line, false, message}); }
    void warning(int32_t line, const LString& message) { list_.push_back({line, true, message}); }
    const std::vector<DocumentProblem>& all() const { return list_; }
    bool hasErrors() const {
        for (const DocumentProblem& p : list_)
            if (!p.warning) return true;
        return false;
    }

private:
    std::vector<DocumentProblem> list_;
};

}  // namespace wiz
