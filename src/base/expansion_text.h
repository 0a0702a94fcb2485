// A text being expanded (a launch-script template, an instruction's argument): the characters the
// author wrote, which the token scans read, and the values the launcher put in (homes, paths of
// extracted files, the temporary folder, the launcher's own paths), which no scan reads again. A
// path that holds "@", "%", "#" or a double quote thus comes out of the expansion as it went in.
#pragma once

#include "base/lstring.h"

namespace wiz {

class ExpansionText {
public:
    using size_type = LString::size_type;
    static constexpr size_type npos = LString::npos;

    ExpansionText() = default;
    // Text the author wrote: the scans read it.
    explicit ExpansionText(const LString& written) : text_(written) {}
    // A value the launcher puts in: the scans never read it.
    static ExpansionText inserted(const LString& value);

    const LString& text() const { return text_; }
    size_type length() const { return text_.length(); }
    bool empty() const { return text_.empty(); }

    // Whether the character at `pos` belongs to an inserted value.
    bool isInserted(size_type pos) const {
        return !marks_.empty() && pos < marks_.length() && marks_[pos] != 0;
    }
    // Whether the author wrote `c` at `pos` (false beyond the end).
    bool isWritten(size_type pos, char c) const {
        return pos < text_.length() && text_[pos] == c && !isInserted(pos);
    }
    // The first character `c` the author wrote at or after `from`; npos when there is none.
    size_type find(char c, size_type from = 0) const;
    // The first position at or after `from` that holds an inserted character; npos when none.
    size_type findInserted(size_type from = 0) const;

    void replace(size_type pos, size_type count, const ExpansionText& value);
    void erase(size_type pos, size_type count);
    ExpansionText substr(size_type pos, size_type count = npos) const;
    ExpansionText& append(const ExpansionText& other);
    ExpansionText& operator+=(const ExpansionText& other) { return append(other); }

    friend ExpansionText operator+(ExpansionText a, const ExpansionText& b) { return a.append(b); }

private:
    // Gives every character a mark (written ones 0) before the first inserted one arrives.
    void markAll();

    LString text_;
    // One byte per character of text_, non-zero for an inserted one; empty while there is none.
    LString marks_;
};

}  // namespace wiz
