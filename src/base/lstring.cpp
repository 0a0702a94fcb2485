#include "base/lstring.h"

#include <algorithm>
#include <cstring>

#include "base/exceptions.h"

namespace wiz {

namespace {

// Converts a std::string search result into the 32-bit npos convention.
LString::size_type fromStd(std::string::size_type r) {
    return r == std::string::npos ? LString::npos : static_cast<LString::size_type>(r);
}

std::string::size_type toStdPos(LString::size_type p) {
    return p == LString::npos ? std::string::npos : static_cast<std::string::size_type>(p);
}

int compareBytes(const char* a, size_t na, const char* b, size_t nb) {
    int r = std::memcmp(a, b, std::min(na, nb));
    if (r != 0) return r < 0 ? -1 : 1;
    if (na == nb) return 0;
    return na < nb ? -1 : 1;
}

}  // namespace

LString::LString(const char* s) { assign(s); }
LString::LString(const char* s, size_type n) { assign(s, n); }
LString::LString(const LString& other, size_type pos, size_type n) { assign(other, pos, n); }
LString::LString(size_type n, char c) { assign(n, c); }
LString::LString(std::string s) : s_(std::move(s)) { checkGrowth(0); }

void LString::checkGrowth(uint64_t added) const {
    uint64_t total = static_cast<uint64_t>(s_.size()) + added;
    if (total > maxLength) throw LengthException();
}

void LString::checkPos(size_type pos) const {
    if (pos > length()) throw RangeException();
}

LString::size_type LString::capacity() const { return static_cast<size_type>(s_.capacity()); }

LString& LString::assign(const LString& other, size_type pos, size_type n) {
    other.checkPos(pos);
    n = std::min(n, other.length() - pos);
    if (this == &other) {
        s_ = s_.substr(pos, n);
    } else {
        s_.assign(other.s_, pos, n);
    }
    return *this;
}

LString& LString::assign(const char* s) {
    return assign(s, s ? static_cast<size_type>(std::strlen(s)) : 0);
}

LString& LString::assign(const char* s, size_type n) {
    if (n > maxLength) throw LengthException();
    if (n == 0 || s == nullptr) {
        s_.clear();
    } else {
        s_.assign(s, n);
    }
    return *this;
}

LString& LString::assign(size_type n, char c) {
    if (n == npos || n > maxLength) throw LengthException();
    s_.assign(n, c);
    return *this;
}

LString& LString::append(const LString& other) { return append(other, 0, npos); }

LString& LString::append(const LString& other, size_type pos, size_type n) {
    other.checkPos(pos);
    n = std::min(n, other.length() - pos);
    checkGrowth(n);
    if (this == &other) {
        std::string copy(s_, pos, n);
        s_ += copy;
    } else {
        s_.append(other.s_, pos, n);
    }
    return *this;
}

LString& LString::append(const char* s) {
    return append(s, s ? static_cast<size_type>(std::strlen(s)) : 0);
}

LString& LString::append(const char* s, size_type n) {
    if (s == nullptr || n == 0) return *this;
    checkGrowth(n);
    s_.append(s, n);
    return *this;
}

LString& LString::append(size_type n, char c) {
    if (n == npos) throw LengthException();
    checkGrowth(n);
    s_.append(n, c);
    return *this;
}

LString& LString::insert(size_type pos, const char* s, size_type n) {
    checkPos(pos);
    if (s == nullptr) return *this;
    size_type avail = static_cast<size_type>(std::strlen(s));
    n = std::min(n, avail);
    checkGrowth(n);
    s_.insert(pos, s, n);
    return *this;
}

LString& LString::erase(size_type pos, size_type n) {
    checkPos(pos);
    s_.erase(pos, toStdPos(std::min(n, length() - pos)));
    return *this;
}

LString& LString::replace(size_type pos, size_type n, const LString& other, size_type pos2,
                          size_type n2) {
    checkPos(pos);
    other.checkPos(pos2);
    n = std::min(n, length() - pos);
    n2 = std::min(n2, other.length() - pos2);
    checkGrowth(n2 > n ? static_cast<uint64_t>(n2 - n) : 0);
    std::string piece(other.s_, pos2, n2);
    s_.replace(pos, n, piece);
    return *this;
}

char LString::at(size_type pos) const {
    if (pos >= length()) throw RangeException();
    return s_[pos];
}

char& LString::operator[](size_type pos) {
    if (pos < length()) return s_[pos];
    static thread_local char scratch;
    scratch = '\0';
    return scratch;
}

LString::size_type LString::find(const LString& what, size_type pos) const {
    return fromStd(s_.find(what.s_, toStdPos(pos)));
}
LString::size_type LString::find(const char* what, size_type pos, size_type n) const {
    if (pos > length()) return npos;
    return fromStd(s_.find(what, pos, n));
}
LString::size_type LString::find(const char* what, size_type pos) const {
    return find(what, pos, static_cast<size_type>(std::strlen(what)));
}
LString::size_type LString::find(char c, size_type pos) const {
    return fromStd(s_.find(c, toStdPos(pos)));
}
LString::size_type LString::rfind(const LString& what, size_type pos) const {
    return fromStd(s_.rfind(what.s_, toStdPos(pos)));
}
LString::size_type LString::rfind(const char* what, size_type pos, size_type n) const {
    return fromStd(s_.rfind(what, toStdPos(pos), n));
}
LString::size_type LString::rfind(const char* what, size_type pos) const {
    return rfind(what, pos, static_cast<size_type>(std::strlen(what)));
}
LString::size_type LString::rfind(char c, size_type pos) const {
    return fromStd(s_.rfind(c, toStdPos(pos)));
}
LString::size_type LString::find_first_of(const char* set, size_type pos) const {
    return fromStd(s_.find_first_of(set, toStdPos(pos)));
}
LString::size_type LString::find_last_of(const char* set, size_type pos) const {
    return fromStd(s_.find_last_of(set, toStdPos(pos)));
}
LString::size_type LString::find_first_not_of(const char* set, size_type pos) const {
    return fromStd(s_.find_first_not_of(set, toStdPos(pos)));
}
LString::size_type LString::find_last_not_of(const char* set, size_type pos) const {
    return fromStd(s_.find_last_not_of(set, toStdPos(pos)));
}

LString LString::substr(size_type pos, size_type n) const { return LString(*this, pos, n); }

int LString::compare(const LString& other) const {
    return compareBytes(s_.data(), s_.size(), other.s_.data(), other.s_.size());
}

int LString::compare(size_type pos, size_type n, const LString& other, size_type pos2,
                     size_type n2) const {
    checkPos(pos);
    other.checkPos(pos2);
    n = std::min(n, length() - pos);
    n2 = std::min(n2, other.length() - pos2);
    return compareBytes(s_.data() + pos, n, other.s_.data() + pos2, n2);
}

int LString::compare(const char* s) const {
    return compareBytes(s_.data(), s_.size(), s, std::strlen(s));
}

int LString::compare(size_type pos, size_type n, const char* s, size_type n2) const {
    checkPos(pos);
    n = std::min(n, length() - pos);
    return compareBytes(s_.data() + pos, n, s, n2);
}

}  // namespace wiz
