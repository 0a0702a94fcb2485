#include "base/lstring.h"

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "base/ptrlist.h"
#include "base/zeroed_buffer.h"

using wiz::LengthException;
using wiz::LString;
using wiz::RangeException;

TEST(LString, DefaultIsValidEmptyCString) {
    LString s;
    ASSERT_NE(s.c_str(), nullptr);
    EXPECT_STREQ(s.c_str(), "");
    EXPECT_TRUE(s.empty());
    EXPECT_EQ(LString::npos, 4294967295u);
    EXPECT_EQ(s.max_size(), 4294967293u);
}

TEST(LString, SubstrAtAndPastLength) {
    LString s("abc");
    EXPECT_EQ(s.substr(3, LString::npos), "");
    EXPECT_EQ(s.substr(1), "bc");
    EXPECT_EQ(s.substr(1, 100), "bc");
    EXPECT_THROW(s.substr(4), RangeException);
}

TEST(LString, RangeChecks) {
    LString s("abc");
    EXPECT_THROW(s.at(3), RangeException);
    EXPECT_EQ(s.at(2), 'c');
    EXPECT_THROW(LString(s, 4), RangeException);
    EXPECT_THROW(LString().append(s, 4, 1), RangeException);
    EXPECT_THROW(LString(s).insert(4, "x"), RangeException);
    EXPECT_THROW(LString(s).erase(4, 1), RangeException);
    EXPECT_THROW(LString(s).replace(4, 1, s, 0, 1), RangeException);
    EXPECT_THROW(LString(s).replace(0, 1, s, 4, 1), RangeException);
    EXPECT_THROW(s.compare(4, 1, s, 0, 1), RangeException);
    EXPECT_NO_THROW(LString(s).erase(3, 1));
}

TEST(LString, LengthChecks) {
    EXPECT_THROW(LString().assign(LString::npos, 'x'), LengthException);
    EXPECT_THROW(LString().append(LString::npos, 'x'), LengthException);
    LString s("ab");
    EXPECT_THROW(s.append(LString::maxLength - 1, 'x'), LengthException);
    EXPECT_EQ(s, "ab");
}

TEST(LString, Find) {
    LString s("abcabc");
    EXPECT_EQ(s.find(""), 0u);
    EXPECT_EQ(s.find("", 4), 4u);
    EXPECT_EQ(s.find("", 6), 6u);
    EXPECT_EQ(s.find("", 7), LString::npos);
    EXPECT_EQ(s.find('c', 3), 5u);
    EXPECT_EQ(s.find("zz"), LString::npos);
    EXPECT_EQ(s.rfind("bc"), 4u);
    EXPECT_EQ(s.rfind("bc", LString::npos), 4u);
    EXPECT_EQ(s.rfind("bc", 3), 1u);
    EXPECT_EQ(s.rfind(""), 6u);
    EXPECT_EQ(s.find_first_of("cb"), 1u);
    EXPECT_EQ(s.find_last_of("a"), 3u);
    EXPECT_EQ(s.find_first_not_of("ab"), 2u);
    EXPECT_EQ(s.find_last_not_of("c"), 4u);
    EXPECT_EQ(s.find_first_not_of("abc"), LString::npos);
}

TEST(LString, CopiesAreIndependent) {
    LString a("hello");
    LString b = a;
    b[0] = 'j';
    EXPECT_EQ(a, "hello");
    EXPECT_EQ(b, "jello");
    char& w = a[1];  // writable access, then copy
    LString c = a;
    w = 'a';
    EXPECT_EQ(a, "hallo");
    EXPECT_EQ(c, "hello");
    a[99] = 'x';  // past the end: scratch character, string unchanged
    EXPECT_EQ(a, "hallo");
}

TEST(LString, CompareIsUnsignedAndShorterFirst) {
    EXPECT_LT(LString("ab").compare("abc"), 0);
    EXPECT_GT(LString("abc").compare("ab"), 0);
    EXPECT_EQ(LString("abc").compare("abc"), 0);
    EXPECT_GT(LString("\xe9").compare("a"), 0);
    EXPECT_EQ(LString("xabcx").compare(1, 3, "abc", 3), 0);
    EXPECT_EQ(LString("xabcx").compare(1, 3, LString("zabc"), 1, 3), 0);
}

TEST(LString, EditOperations) {
    LString s("hello world");
    s.erase(5);
    EXPECT_EQ(s, "hello");
    s.insert(0, ">> ", 2);
    EXPECT_EQ(s, ">>hello");
    s.replace(0, 2, LString("[x]"), 1, 1);
    EXPECT_EQ(s, "xhello");
    s.append(s);  // self-append
    EXPECT_EQ(s, "xhelloxhello");
    s.assign(s, 1, 5);  // self-assign of a substring
    EXPECT_EQ(s, "hello");
    EXPECT_EQ(LString(3, 'z'), "zzz");
    EXPECT_EQ(LString("abc", 2), "ab");
}

namespace {
struct CountingItem : wiz::ListItem {
    explicit CountingItem(int* c) : alive(c) { ++*alive; }
    ~CountingItem() override { --*alive; }
    int* alive;
};
}  // namespace

TEST(PtrList, IndexRules) {
    int alive = 0;
    wiz::PtrList list;
    EXPECT_EQ(list.capacity(), 0);
    EXPECT_EQ(list.insert(-1, std::make_unique<CountingItem>(&alive)), nullptr);  // append
    auto* first = list.get(0);
    // index == count inserts nothing and hands the item back
    auto back = list.insert(1, std::make_unique<CountingItem>(&alive));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(list.count(), 1);
    back.reset();
    EXPECT_EQ(list.insert(0, std::make_unique<CountingItem>(&alive)), nullptr);  // before
    EXPECT_EQ(list.get(1), first);
    EXPECT_EQ(list.get(2), nullptr);
    EXPECT_EQ(list.get(-1), nullptr);
    list.removeAt(5);
    list.removeAt(-1);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.capacity(), 30);
    for (int i = 0; i < 29; ++i) (void)list.insert(-1, std::make_unique<CountingItem>(&alive));
    EXPECT_EQ(list.capacity(), 60);
    EXPECT_EQ(alive, 31);
    list.removeAt(0);
    EXPECT_EQ(alive, 30);
    EXPECT_EQ(list.get(0), first);
    list.clear();
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(list.capacity(), 60);
}

TEST(StringList, OutOfRangeGivesSharedEmptyString) {
    wiz::StringList list;
    EXPECT_EQ(&list.last(), &wiz::StringList::emptyString());
    EXPECT_EQ(list.at(-1), "");
    list.append("a");
    list.append("b");
    EXPECT_EQ(list.last(), "b");
    list.removeLast();
    EXPECT_EQ(list.last(), "a");
    EXPECT_EQ(&list.at(7), &wiz::StringList::emptyString());
}

TEST(ZeroedBuffer, AllocateAndRelease) {
    wiz::ZeroedBuffer b;
    b.allocate(4, 3);
    ASSERT_EQ(b.byteSize(), 12u);
    for (size_t i = 0; i < 12; ++i) EXPECT_EQ(b.data()[i], 0);
    b.allocate(0, 3);
    EXPECT_EQ(b.data(), nullptr);
    EXPECT_EQ(b.count(), 0u);
}
