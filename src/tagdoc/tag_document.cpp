#include "tagdoc/tag_document.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "base/chars.h"
#include "base/exceptions.h"
#include "platform/file.h"
#include "services/log.h"
#include "tagdoc/text.h"

namespace wiz {

namespace {

constexpr size_t kMaxText = 0xFFFFFFFFu;

uint32_t hashOf(const char* text, size_t length) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; ++i) {
        hash ^= static_cast<unsigned char>(text[i]);
        hash *= 16777619u;
    }
    return hash;
}

bool isTrimmed(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

void TagDocument::loadFile(const LString& path) {
    FilePtr f = openFile(path, "rb");
    if (!f) throw LauncherException(LString("Unable to load input file: ") + path);
    read(f.get(), path, 0, -1);
}

void TagDocument::syntaxError(int32_t line, const char* message) const {
    LString text = LString("Syntax error in ") + sourceName_ + " at line " + numberToString(line) +
                   " ==> " + message;
    writeLog(text, kLogError);
    throw TagSyntaxError(text, line, message);
}

void TagDocument::read(std::FILE* stream, const LString& sourceName, int64_t offset,
                       int64_t length) {
    sourceName_ = sourceName;
    lineNumber_ = 0;
    if (offset < 0 || offset > LONG_MAX ||
        std::fseek(stream, static_cast<long>(offset), SEEK_SET) != 0)
        throw LauncherException("Unable to read tag file.");

    // The whole range is read at once and parsed in memory; the document keeps these bytes as
    // the text its tags refer to.
    const size_t begin = text_.size();
    const auto tooLarge = [&] {
        text_.resize(begin);
        throw LauncherException("The tag document " + sourceName_ + " is too large.");
    };
    uint64_t left = length < 0 ? UINT64_MAX : static_cast<uint64_t>(length);
    // The text is read into exactly the room it needs (the rest of the file at most).
    const long here = std::ftell(stream);
    if (here >= 0 && std::fseek(stream, 0, SEEK_END) == 0) {
        const long fileEnd = std::ftell(stream);
        std::fseek(stream, here, SEEK_SET);
        if (fileEnd >= here) {
            const uint64_t available = static_cast<uint64_t>(fileEnd - here);
            if (available < left) left = available;
            if (begin + left > kMaxText) tooLarge();
            text_.reserve(begin + static_cast<size_t>(left));
        }
    }
    char chunk[65536];
    while (left > 0) {
        const size_t want = left < sizeof chunk ? static_cast<size_t>(left) : sizeof chunk;
        const size_t got = std::fread(chunk, 1, want, stream);
        if (got == 0) break;
        if (text_.size() + got > kMaxText) tooLarge();
        text_.append(chunk, got);
        left -= got;
    }
    // Each line gives at most one value, and each line with a colon at most one tag.
    const auto from = text_.begin() + static_cast<std::ptrdiff_t>(begin);
    const size_t lines = static_cast<size_t>(std::count(from, text_.end(), '\n')) + 1;
    const size_t colons = static_cast<size_t>(std::count(from, text_.end(), ':'));
    values_.reserve(values_.size() + lines);
    tags_.reserve(tags_.size() + std::min(lines, colons));
    parsing_ = true;
    try {
        parse(begin, text_.size());
    } catch (...) {
        parsing_ = false;
        throw;
    }
    parsing_ = false;
    loaded_ = true;
}

void TagDocument::parse(size_t begin, size_t end) {
    size_t position = begin;
    // The next line of the range: carriage returns dropped, trimmed; false at the end.
    const auto nextLine = [&](Span& line) {
        if (position >= end) return false;
        const char* at = text_.data() + position;
        const void* feed = std::memchr(at, '\n', end - position);
        const size_t lineEnd = feed ? static_cast<const char*>(feed) - text_.data() : end;
        size_t from = position;
        size_t to = lineEnd;
        position = feed ? lineEnd + 1 : end;
        ++lineNumber_;
        if (std::memchr(text_.data() + from, '\r', to - from)) {
            std::string kept;
            for (size_t i = from; i < to; ++i) {
                if (text_[i] != '\r') kept += text_[i];
            }
            const Span copy = store(kept.data(), kept.size());
            from = copy.offset;
            to = from + copy.length;
        }
        while (from < to && isTrimmed(text_[from])) ++from;
        while (to > from && isTrimmed(text_[to - 1])) --to;
        line.offset = static_cast<uint32_t>(from);
        line.length = static_cast<uint32_t>(to - from);
        return true;
    };
    // A quoted argument from `start` (just after its opening quote) within `line`.
    const auto unquote = [&](Span line, uint32_t start) {
        const LString text = textOf(line);
        LString::size_type cursor = start;
        const LString value = nextArgument(text, cursor, true);
        return store(value.c_str(), value.length());
    };

    Span line;
    while (nextLine(line)) {
        if (line.length == 0) continue;
        const char* text = text_.data() + line.offset;
        const void* colonAt = std::memchr(text, ':', line.length);
        if (!colonAt) syntaxError(lineNumber_, "Missing colon at the end of the tag name.");
        const uint32_t colon = static_cast<uint32_t>(static_cast<const char*>(colonAt) - text);
        uint32_t nameEnd = colon;
        while (nameEnd > 0 && isTrimmed(text[nameEnd - 1])) --nameEnd;
        const LString name(text, nameEnd);
        Span nameSpan;
        nameSpan.offset = line.offset;
        nameSpan.length = nameEnd;
        removeTag(name);

        if (colon + 1 == line.length) {
            // A block: the tag exists only once it has a value.
            const int32_t tagLine = lineNumber_;
            uint32_t tag = kNone;
            for (;;) {
                Span value;
                if (!nextLine(value)) syntaxError(tagLine, "Missing /: tag completer.");
                if (value.length > 0 && text_[value.offset] == '"') value = unquote(value, 1);
                if (value.length == 0) continue;
                if (value.length == 2 && text_.compare(value.offset, 2, "/:") == 0) break;
                if (tag == kNone) tag = appendTag(nameSpan);
                appendValue(tag, value);
            }
            continue;
        }
        uint32_t start = colon + 1;
        while (start < line.length && isTrimmed(text_[line.offset + start])) ++start;
        if (start == line.length) syntaxError(lineNumber_, "Invalid tag format.");
        Span value;
        if (text_[line.offset + start] == '"') {
            value = unquote(line, start + 1);
        } else {
            value.offset = line.offset + start;
            value.length = line.length - start;
        }
        appendValue(appendTag(nameSpan), value);
    }
}

TagDocument::Span TagDocument::store(const char* text, size_t length) {
    if (text_.size() + length > kMaxText) {
        throw LauncherException("The tag document " + sourceName_ + " is too large.");
    }
    Span span;
    span.offset = static_cast<uint32_t>(text_.size());
    span.length = static_cast<uint32_t>(length);
    text_.append(text, length);
    return span;
}

LString TagDocument::textOf(Span span) const {
    return LString(text_.data() + span.offset, span.length);
}

uint32_t TagDocument::findTag(const LString& name) const {
    if (slots_.empty()) return kNone;
    const size_t mask = slots_.size() - 1;
    for (size_t i = hashOf(name.c_str(), name.length()) & mask; slots_[i] != 0;
         i = (i + 1) & mask) {
        const Tag& tag = tags_[slots_[i] - 1];
        if (tag.name.length == name.length() &&
            text_.compare(tag.name.offset, tag.name.length, name.c_str(), name.length()) == 0) {
            return tag.removed ? kNone : slots_[i] - 1;
        }
    }
    return kNone;
}

void TagDocument::index(uint32_t tag) {
    if ((static_cast<size_t>(names_) + 1) * 10 > slots_.size() * 7) {
        // Twice the slots; each slot names one distinct name, so the entries move as they are.
        std::vector<uint32_t> old;
        old.swap(slots_);
        slots_.assign(old.empty() ? 16 : old.size() * 2, 0);
        const size_t mask = slots_.size() - 1;
        for (uint32_t entry : old) {
            if (entry == 0) continue;
            const Span n = tags_[entry - 1].name;
            size_t i = hashOf(text_.data() + n.offset, n.length) & mask;
            while (slots_[i] != 0) i = (i + 1) & mask;
            slots_[i] = entry;
        }
    }
    const Span n = tags_[tag].name;
    const size_t mask = slots_.size() - 1;
    size_t i = hashOf(text_.data() + n.offset, n.length) & mask;
    for (; slots_[i] != 0; i = (i + 1) & mask) {
        const Span other = tags_[slots_[i] - 1].name;
        if (other.length == n.length &&
            text_.compare(other.offset, other.length, text_, n.offset, n.length) == 0) {
            break;
        }
    }
    if (slots_[i] == 0) ++names_;
    slots_[i] = tag + 1;
}

uint32_t TagDocument::appendTag(const LString& name) {
    return appendTag(store(name.c_str(), name.length()));
}

uint32_t TagDocument::appendTag(Span name) {
    Tag tag;
    tag.name = name;
    tags_.push_back(tag);
    const uint32_t position = static_cast<uint32_t>(tags_.size() - 1);
    index(position);
    return position;
}

void TagDocument::appendValue(uint32_t tag, Span value) {
    Tag& t = tags_[tag];
    if (t.count > 0 && t.first + t.count != values_.size()) {
        // Another tag got values since: this tag's values move to the end, so they stay together.
        const uint32_t first = static_cast<uint32_t>(values_.size());
        for (uint32_t i = 0; i < t.count; ++i) {
            values_.push_back(values_[t.first + i]);
            if (keepLines_) valueLines_.push_back(valueLines_[t.first + i]);
        }
        t.first = first;
    }
    if (t.count == 0) t.first = static_cast<uint32_t>(values_.size());
    values_.push_back(value);
    if (keepLines_) {
        valueLines_.resize(values_.size() - 1, 0);
        valueLines_.push_back(parsing_ ? lineNumber_ : 0);
    }
    t.count = t.count + 1;
}

int32_t TagDocument::valueLine(const LString& name, int32_t index) const {
    const uint32_t tag = findTag(name);
    if (tag == kNone || index < 0 || static_cast<uint32_t>(index) >= tags_[tag].count) return 0;
    const uint32_t at = tags_[tag].first + static_cast<uint32_t>(index);
    return at < valueLines_.size() ? valueLines_[at] : 0;
}

namespace {
bool needsQuotes(const std::string& text, size_t offset, size_t length) {
    if (length == 0) return true;
    return isTrimmed(text[offset]) || isTrimmed(text[offset + length - 1]) ||
           std::memchr(text.data() + offset, '"', length) != nullptr;
}
}  // namespace

bool TagDocument::write(const LString& path) const {
    bool isLink = false;
    uint32_t error = 0;
    FilePtr f = createFileNoLink(path, true, isLink, error);
    return f && writeTo(std::move(f));
}

bool TagDocument::writeTo(FilePtr f) const {
    bool ok = true;
    for (const Tag& tag : tags_) {
        if (tag.removed || tag.count == 0) continue;
        ok &= std::fprintf(f.get(), "%s:", textOf(tag.name).c_str()) >= 0;
        if (tag.count > 1) ok &= std::fputs("\n", f.get()) >= 0;
        for (uint32_t i = 0; i < tag.count; ++i) {
            const Span v = values_[tag.first + i];
            if (needsQuotes(text_, v.offset, v.length)) {
                std::string quoted;
                for (uint32_t j = 0; j < v.length; ++j) {
                    const char c = text_[v.offset + j];
                    quoted.push_back(c);
                    if (c == '"') quoted.push_back('"');
                }
                ok &= std::fprintf(f.get(), "  \"%s\"\n", quoted.c_str()) >= 0;
            } else {
                ok &= std::fprintf(f.get(), "  %s\n", textOf(v).c_str()) >= 0;
            }
        }
        if (tag.count > 1) ok &= std::fputs("/:\n", f.get()) >= 0;
    }
    return closeFile(std::move(f)) && ok;
}

LString TagDocument::getValue(const LString& name, int32_t index) const {
    const uint32_t tag = findTag(name);
    if (tag == kNone || index < 0 || static_cast<uint32_t>(index) >= tags_[tag].count) {
        return LString();
    }
    return textOf(values_[tags_[tag].first + static_cast<uint32_t>(index)]);
}

int32_t TagDocument::valueCount(const LString& name) const {
    const uint32_t tag = findTag(name);
    return tag == kNone ? 0 : static_cast<int32_t>(tags_[tag].count);
}

StringList TagDocument::tagNames() const {
    StringList names;
    for (const Tag& tag : tags_) {
        if (!tag.removed) names.append(textOf(tag.name));
    }
    return names;
}

void TagDocument::setValue(const LString& name, const LString& value) {
    uint32_t tag = findTag(name);
    if (tag == kNone) tag = appendTag(name);
    const Span stored = store(value.c_str(), value.length());
    Tag& t = tags_[tag];
    if (t.count == 0) {
        appendValue(tag, stored);
        return;
    }
    t.count = 1;
    values_[t.first] = stored;
    if (t.first < valueLines_.size()) valueLines_[t.first] = 0;
}

void TagDocument::addValue(const LString& name, const LString& value) {
    uint32_t tag = findTag(name);
    if (tag == kNone) tag = appendTag(name);
    appendValue(tag, store(value.c_str(), value.length()));
}

bool TagDocument::getBool(const LString& name, bool defaultValue) const {
    // A decimal number as "%d" reads one: blanks, a sign, digits. Any number other than zero is
    // true, however long it is.
    const LString v = getValue(name, 0);
    LString::size_type i = 0;
    while (i < v.length() && isWhiteSpace(v[i])) ++i;
    if (i < v.length() && (v[i] == '+' || v[i] == '-')) ++i;
    if (i >= v.length() || !isDigit(v[i])) return defaultValue;
    for (; i < v.length() && isDigit(v[i]); ++i) {
        if (v[i] != '0') return true;
    }
    return false;
}

void TagDocument::setBool(const LString& name, bool flag) { setValue(name, flag ? "1" : "0"); }

void TagDocument::removeTag(const LString& name) {
    const uint32_t tag = findTag(name);
    if (tag != kNone) tags_[tag].removed = 1;
}

void TagDocument::setJvmResult(const LString& home, const LString& file, bool temporary) {
    setValue("JVM_HOME", home);
    setValue("JVM_FILE", file);
    setBool("JVM_TEMP", temporary);
}

}  // namespace wiz
