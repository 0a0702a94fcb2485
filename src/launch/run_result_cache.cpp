#include "launch/run_result_cache.h"

#include "tagdoc/text.h"

namespace wiz {

LString RunResultCache::keyOf(const LString& commandLine, const LString& workingDirectory,
                              const LString& variables, uint32_t environmentChanges) {
    // The parts are separated by a character none of them holds.
    LString key = commandLine;
    key += '\0';
    key += workingDirectory;
    key += '\0';
    key += variables;
    key += '\0';
    key += numberToString(static_cast<int32_t>(environmentChanges));
    return key;
}

const RunResultCache::Result* RunResultCache::find(const LString& key) const {
    for (const Entry& entry : entries_) {
        if (entry.key == key) return &entry.result;
    }
    return nullptr;
}

void RunResultCache::keep(const LString& key, const Result& result) {
    for (Entry& entry : entries_) {
        if (entry.key == key) {
            entry.result = result;
            return;
        }
    }
    entries_.push_back(Entry{key, result});
}

}  // namespace wiz
