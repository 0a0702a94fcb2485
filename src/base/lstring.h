// LString: the launcher's owning single-byte string with value semantics.
//
// It wraps std::string but keeps 32-bit positions and counts, its own npos, and throws
// RangeException / LengthException (never std::out_of_range) at its limits.
#pragma once

#include <cstdint>
#include <string>

namespace wiz {

class LString {
public:
    using size_type = uint32_t;
    static constexpr size_type npos = 4294967295u;
    static constexpr size_type maxLength = 4294967293u;

    LString() = default;
    LString(const LString&) = default;
    LString(LString&&) noexcept = default;
    LString(const char* s);  // NOLINT: implicit on purpose, literals convert freely
    LString(const char* s, size_type n);
    LString(const LString& other, size_type pos, size_type n = npos);
    LString(size_type n, char c);
    explicit LString(std::string s);
    virtual ~LString() = default;

    LString& operator=(const LString&) = default;
    LString& operator=(LString&&) noexcept = default;
    LString& operator=(const char* s) { return assign(s); }
    LString& operator=(char c) { return assign(1, c); }

    LString& assign(const LString& other) { return *this = other; }
    LString& assign(const LString& other, size_type pos, size_type n);
    LString& assign(const char* s);
    LString& assign(const char* s, size_type n);
    LString& assign(size_type n, char c);

    LString& append(const LString& other);
    LString& append(const LString& other, size_type pos, size_type n);
    LString& append(const char* s);
    LString& append(const char* s, size_type n);
    LString& append(size_type n, char c);
    LString& append(char c) { return append(1, c); }
    LString& operator+=(const LString& other) { return append(other); }
    LString& operator+=(const char* s) { return append(s); }
    LString& operator+=(char c) { return append(1, c); }

    LString& insert(size_type pos, const char* s, size_type n = npos);
    LString& erase(size_type pos = 0, size_type n = npos);
    LString& replace(size_type pos, size_type n, const LString& other, size_type pos2 = 0,
                     size_type n2 = npos);

    // Read-only access; throws RangeException for pos >= length().
    char at(size_type pos) const;
    // Writable access; a position past the end reaches a scratch NUL character.
    char& operator[](size_type pos);
    char operator[](size_type pos) const { return pos < length() ? s_[pos] : '\0'; }

    const char* c_str() const { return s_.c_str(); }
    size_type length() const { return static_cast<size_type>(s_.size()); }
    size_type size() const { return length(); }
    size_type capacity() const;
    bool empty() const { return s_.empty(); }
    size_type max_size() const { return maxLength; }
    const std::string& str() const { return s_; }

    size_type find(const LString& what, size_type pos = 0) const;
    size_type find(const char* what, size_type pos, size_type n) const;
    size_type find(const char* what, size_type pos = 0) const;
    size_type find(char c, size_type pos = 0) const;
    size_type rfind(const LString& what, size_type pos = npos) const;
    size_type rfind(const char* what, size_type pos, size_type n) const;
    size_type rfind(const char* what, size_type pos = npos) const;
    size_type rfind(char c, size_type pos = npos) const;
    size_type find_first_of(const char* set, size_type pos = 0) const;
    size_type find_last_of(const char* set, size_type pos = npos) const;
    size_type find_first_not_of(const char* set, size_type pos = 0) const;
    size_type find_last_not_of(const char* set, size_type pos = npos) const;

    LString substr(size_type pos = 0, size_type n = npos) const;

    int compare(const LString& other) const;
    int compare(size_type pos, size_type n, const LString& other, size_type pos2,
                size_type n2) const;
    int compare(const char* s) const;
    int compare(size_type pos, size_type n, const char* s, size_type n2) const;

    friend bool operator==(const LString& a, const LString& b) { return a.s_ == b.s_; }
    friend bool operator!=(const LString& a, const LString& b) { return a.s_ != b.s_; }
    friend bool operator<(const LString& a, const LString& b) { return a.compare(b) < 0; }
    friend bool operator==(const LString& a, const char* b) { return a.s_ == b; }
    friend bool operator!=(const LString& a, const char* b) { return a.s_ != b; }
    friend LString operator+(LString a, const LString& b) { return a.append(b); }
    friend LString operator+(LString a, const char* b) { return a.append(b); }
    friend LString operator+(LString a, char c) { return a.append(1, c); }
    friend LString operator+(const char* a, const LString& b) { return LString(a).append(b); }

private:
    // Makes room for `added` more characters, throwing LengthException past the limit.
    void checkGrowth(uint64_t added) const;
    void checkPos(size_type pos) const;

    std::string s_;
};

}  // namespace wiz
