#include "tagdoc/tag_document.h"

#include <cstdio>
#include <cstring>

#include "base/exceptions.h"
#include "platform/file.h"
#include "runtime/log.h"
#include "tagdoc/text.h"

namespace wiz {

void TagDocument::loadFile(const LString& path) {
    FilePtr f = openFile(path, "rb");
    if (!f) throw LauncherException(LString("Unable to load input file: ") + path);
    read(f.get(), path, 0, -1);
}

void TagDocument::syntaxError(int32_t line, const char* message) const {
    LString text = LString("Syntax error in ") + sourceName_ + " at line " + numberToString(line) +
                   " ==> " + message;
    writeLog(text, kLogError);
    throw LauncherException(text);
}

namespace {
bool atEnd(std::FILE* f) {
    int c = std::getc(f);
    if (c == EOF) return true;
    std::ungetc(c, f);
    return false;
}
}  // namespace

void TagDocument::read(std::FILE* stream, const LString& sourceName, long offset, long length) {
    sourceName_ = sourceName;
    lineNumber_ = 0;
    if (offset < 0 || std::fseek(stream, offset, SEEK_SET) != 0)
        throw LauncherException("Unable to read tag file.");
    const long end = length >= 0 ? offset + length : -1;
    while (!atEnd(stream) && (end < 0 || std::ftell(stream) < end)) {
        LString line;
        readLine(stream, line);
        ++lineNumber_;
        if (line.empty()) continue;
        LString::size_type colon = line.find(':');
        if (colon == LString::npos)
            syntaxError(lineNumber_, "Missing colon at the end of the tag name.");
        LString name = line.substr(0, colon);
        trim(name);
        removeTag(name);
        if (colon + 1 == line.length()) {
            const int32_t tagLine = lineNumber_;
            for (;;) {
                if (atEnd(stream)) syntaxError(tagLine, "Missing /: tag completer.");
                LString value;
                readLine(stream, value);
                ++lineNumber_;
                if (!value.empty() && value[0] == '"') {
                    LString::size_type cursor = 1;
                    value = nextArgument(value, cursor, true);
                }
                if (value.empty()) continue;
                if (value == "/:") break;
                addValue(name, value);
            }
        } else {
            LString::size_type start = line.find_first_not_of(kWhitespace, colon + 1);
            if (start == LString::npos) syntaxError(lineNumber_, "Invalid tag format.");
            LString value;
            if (line[start] == '"') {
                LString::size_type cursor = start + 1;
                value = nextArgument(line, cursor, true);
            } else {
                value = line.substr(start);
            }
            setValue(name, value);
        }
    }
    loaded_ = true;
}

namespace {
bool needsQuotes(const LString& v) {
    if (v.empty()) return true;
    const char* ws = kWhitespace;
    auto isWs = [ws](char c) { return c != '\0' && std::strchr(ws, c) != nullptr; };
    return isWs(v[0]) || isWs(v[v.length() - 1]) || v.find('"') != LString::npos;
}
}  // namespace

bool TagDocument::write(const LString& path) const {
    FilePtr f = openFile(path, "w");
    if (!f) return false;
    bool ok = true;
    for (const auto& tag : tags_) {
        const int32_t n = tag->values.count();
        if (n == 0) continue;
        ok &= std::fprintf(f.get(), "%s:", tag->name.c_str()) >= 0;
        if (n > 1) ok &= std::fputs("\n", f.get()) >= 0;
        for (int32_t i = 0; i < n; ++i) {
            const LString& v = tag->values.at(i);
            if (needsQuotes(v)) {
                std::string quoted;
                for (char c : v.str()) {
                    quoted.push_back(c);
                    if (c == '"') quoted.push_back('"');
                }
                ok &= std::fprintf(f.get(), "  \"%s\"\n", quoted.c_str()) >= 0;
            } else {
                ok &= std::fprintf(f.get(), "  %s\n", v.c_str()) >= 0;
            }
        }
        if (n > 1) ok &= std::fputs("/:\n", f.get()) >= 0;
    }
    return closeFile(std::move(f)) && ok;
}

Tag* TagDocument::find(const LString& name) const {
    auto it = byName_.find(name.str());
    return it == byName_.end() ? nullptr : it->second->get();
}

Tag& TagDocument::appendTag(const LString& name) {
    auto tag = std::make_unique<Tag>();
    tag->name = name;
    tags_.push_back(std::move(tag));
    byName_[name.str()] = std::prev(tags_.end());
    return *tags_.back();
}

LString TagDocument::getValue(const LString& name, int32_t index) const {
    const Tag* tag = find(name);
    return tag ? tag->values.at(index) : LString();
}

int32_t TagDocument::valueCount(const LString& name) const {
    const Tag* tag = find(name);
    return tag ? tag->values.count() : 0;
}

const StringList* TagDocument::findValues(const LString& name) const {
    const Tag* tag = find(name);
    return tag ? &tag->values : nullptr;
}

void TagDocument::setValue(const LString& name, const LString& value) {
    Tag* tag = find(name);
    if (!tag) tag = &appendTag(name);
    if (tag->values.count() == 0) {
        tag->values.append(value);
        return;
    }
    while (tag->values.count() > 1) tag->values.removeLast();
    *tag->values.getPayload(0) = value;
}

void TagDocument::addValue(const LString& name, const LString& value) {
    Tag* tag = find(name);
    if (!tag) tag = &appendTag(name);
    tag->values.append(value);
}

bool TagDocument::getBool(const LString& name, bool defaultValue) const {
    LString v = getValue(name, 0);
    short n = 0;
    if (!v.empty() && std::sscanf(v.c_str(), "%hd", &n) == 1) return n != 0;
    return defaultValue;
}

void TagDocument::setBool(const LString& name, bool flag) { setValue(name, flag ? "1" : "0"); }

void TagDocument::removeTag(const LString& name) {
    auto it = byName_.find(name.str());
    if (it == byName_.end()) return;
    tags_.erase(it->second);
    byName_.erase(it);
}

void TagDocument::setJvmResult(const LString& home, const LString& file, bool temporary) {
    setValue("JVM_HOME", home);
    setValue("JVM_FILE", file);
    setBool("JVM_TEMP", temporary);
}

}  // namespace wiz
