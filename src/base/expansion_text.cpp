#include "base/expansion_text.h"

namespace wiz {

ExpansionText ExpansionText::inserted(const LString& value) {
    ExpansionText text(value);
    if (!value.empty()) text.marks_ = LString(value.length(), '\1');
    return text;
}

ExpansionText::size_type ExpansionText::find(char c, size_type from) const {
    size_type at = text_.find(c, from);
    while (at != npos && isInserted(at)) at = text_.find(c, at + 1);
    return at;
}

ExpansionText::size_type ExpansionText::findInserted(size_type from) const {
    return marks_.empty() ? npos : marks_.find('\1', from);
}

void ExpansionText::markAll() {
    if (marks_.empty()) marks_ = LString(text_.length(), '\0');
}

void ExpansionText::replace(size_type pos, size_type count, const ExpansionText& value) {
    if (marks_.empty() && value.marks_.empty()) {
        text_.replace(pos, count, value.text_);
        return;
    }
    markAll();
    text_.replace(pos, count, value.text_);
    if (value.marks_.empty()) {
        marks_.replace(pos, count, LString(value.text_.length(), '\0'));
    } else {
        marks_.replace(pos, count, value.marks_);
    }
}

void ExpansionText::erase(size_type pos, size_type count) {
    text_.erase(pos, count);
    if (!marks_.empty()) marks_.erase(pos, count);
}

ExpansionText ExpansionText::substr(size_type pos, size_type count) const {
    ExpansionText part(text_.substr(pos, count));
    if (!marks_.empty()) part.marks_ = marks_.substr(pos, count);
    return part;
}

ExpansionText& ExpansionText::append(const ExpansionText& other) {
    replace(text_.length(), 0, other);
    return *this;
}

}  // namespace wiz
