// TagDocument: an ordered list of named tags, each with a list of text values, read from and
// written to the line-oriented tag format.
//
//   NAME: value            single value; a value starting with " is a quoted argument
//   NAME:                  block: one value per following line, up to a line "/:"
//     value
//   /:
//
// A later tag line of the same name replaces the earlier tag and moves to the end of the order.
#pragma once

#include <cstdint>
#include <cstdio>
#include <list>
#include <memory>
#include <unordered_map>

#include "base/lstring.h"
#include "base/ptrlist.h"

namespace wiz {

struct Tag {
    LString name;
    StringList values;
};

class TagDocument {
public:
    TagDocument() = default;
    // Loads the file at `path` (see loadFile).
    explicit TagDocument(const LString& path) { loadFile(path); }
    TagDocument(const TagDocument&) = delete;
    TagDocument& operator=(const TagDocument&) = delete;
    virtual ~TagDocument() = default;

    // Throws LauncherException "Unable to load input file: <path>" when it cannot be opened.
    void loadFile(const LString& path);
    // Parses from `stream` starting at byte `offset`, reading tag lines while the position is
    // below offset + length (length -1: to the end of the file). Tags read are merged into the
    // document by the duplicate rule. Syntax errors are logged and thrown as LauncherException.
    void read(std::FILE* stream, const LString& sourceName, long offset, long length);
    // Writes the whole document; returns false when the file could not be written.
    bool write(const LString& path) const;

    LString getValue(const LString& name, int32_t index = 0) const;
    int32_t valueCount(const LString& name) const;
    const StringList* findValues(const LString& name) const;
    void setValue(const LString& name, const LString& value);
    void addValue(const LString& name, const LString& value);
    bool getBool(const LString& name, bool defaultValue) const;
    void setBool(const LString& name, bool flag);
    void removeTag(const LString& name);
    void setJvmResult(const LString& home, const LString& file, bool temporary);

    // Tags in document order.
    const std::list<std::unique_ptr<Tag>>& tags() const { return tags_; }
    int32_t lineNumber() const { return lineNumber_; }
    bool loaded() const { return loaded_; }
    const LString& sourceName() const { return sourceName_; }

private:
    Tag* find(const LString& name) const;
    Tag& appendTag(const LString& name);
    [[noreturn]] void syntaxError(int32_t line, const char* message) const;

    // The order lives in the list; the map makes lookups and the duplicate rule O(1), so
    // reading stays linear in the input however many tags a document has.
    std::list<std::unique_ptr<Tag>> tags_;
    std::unordered_map<std::string, std::list<std::unique_ptr<Tag>>::iterator> byName_;
    int32_t lineNumber_ = 0;
    bool loaded_ = false;
    LString sourceName_;
};

// Documents loaded from files, kept alive for the whole run.
class TagDocumentList : public TypedList<TagDocument> {};

}  // namespace wiz
