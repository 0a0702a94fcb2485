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
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "base/lstring.h"
#include "base/ptrlist.h"
#include "platform/file.h"

namespace wiz {

// A syntax error of a tag document. Its message is the launcher's complete text ("Syntax error in
// NAME at line N ==> REASON"); the line and the reason are kept apart for tools that report
// errors as FILE:LINE: REASON.
class TagSyntaxError : public LauncherException {
public:
    TagSyntaxError(LString message, int32_t line, LString reason)
        : LauncherException(std::move(message)), line_(line), reason_(std::move(reason)) {}
    int32_t line() const { return line_; }
    const LString& reason() const { return reason_; }

private:
    int32_t line_;
    LString reason_;
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
    // Parses the `length` bytes of `stream` that start at byte `offset` (length -1: to the end of
    // the file). Nothing beyond them is read: a line or a block that runs past the end stops
    // there. Tags read are merged into the document by the duplicate rule. Syntax errors are
    // logged and thrown as LauncherException.
    void read(std::FILE* stream, const LString& sourceName, int64_t offset, int64_t length);
    // Writes the whole document (never through a link at `path`); returns false when the file
    // could not be written.
    bool write(const LString& path) const;
    // Writes the whole document to an open file and closes it; false when it could not be
    // written.
    bool writeTo(FilePtr file) const;

    LString getValue(const LString& name, int32_t index = 0) const;
    int32_t valueCount(const LString& name) const;
    bool hasTag(const LString& name) const { return findTag(name) != kNone; }
    // The names of the tags in document order.
    StringList tagNames() const;
    void setValue(const LString& name, const LString& value);
    void addValue(const LString& name, const LString& value);
    // Value 0 as a number: non-zero is true; the default when the value does not start with one.
    bool getBool(const LString& name, bool defaultValue) const;
    void setBool(const LString& name, bool flag);
    void removeTag(const LString& name);
    void setJvmResult(const LString& home, const LString& file, bool temporary);

    int32_t lineNumber() const { return lineNumber_; }
    // Remembers the line of every value read from now on, for tools that report errors by line.
    void keepValueLines() { keepLines_ = true; }
    // The line a value was read from; 0 when lines are not kept or the value was set in code.
    int32_t valueLine(const LString& name, int32_t index = 0) const;
    bool loaded() const { return loaded_; }
    const LString& sourceName() const { return sourceName_; }

private:
    // The document keeps every name and value in one text and refers to them by position, so a
    // document of many short lines takes a small multiple of its size in memory.
    struct Span {
        uint32_t offset = 0;
        uint32_t length = 0;
    };
    struct Tag {
        Span name;
        uint32_t first = 0;  // its first value in values_; the others follow it
        uint32_t count : 31;
        uint32_t removed : 1;
        Tag() : count(0), removed(0) {}
    };
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    uint32_t findTag(const LString& name) const;
    uint32_t appendTag(const LString& name);
    uint32_t appendTag(Span name);
    void appendValue(uint32_t tag, Span value);
    Span store(const char* text, size_t length);
    LString textOf(Span span) const;
    void index(uint32_t tag);
    void parse(size_t begin, size_t end);
    [[noreturn]] void syntaxError(int32_t line, const char* message) const;

    std::string text_;
    std::vector<Span> values_;
    // Parallel to values_ when keepLines_ is set: the line each value was read from.
    std::vector<int32_t> valueLines_;
    bool keepLines_ = false;
    bool parsing_ = false;
    std::vector<Tag> tags_;
    // Open addressing from a name's hash to the position of its newest tag + 1 (0: empty).
    std::vector<uint32_t> slots_;
    uint32_t names_ = 0;  // slots in use
    int32_t lineNumber_ = 0;
    bool loaded_ = false;
    LString sourceName_;
};

// Documents loaded from files, kept alive for the whole run.
class TagDocumentList : public TypedList<TagDocument> {};

}  // namespace wiz
