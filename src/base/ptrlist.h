// Owning lists: PtrList holds ListItem objects; TypedList and StringList add typed access.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/lstring.h"

namespace wiz {

// Base of everything stored in a PtrList.
class ListItem {
public:
    virtual ~ListItem() = default;
};

// A growable array of owned items. Indexes out of range never throw: get() returns null and
// insert()/removeAt() do nothing.
class PtrList {
public:
    static constexpr int32_t growthStep = 30;

    PtrList() = default;
    PtrList(const PtrList&) = delete;
    PtrList& operator=(const PtrList&) = delete;
    PtrList(PtrList&&) noexcept = default;
    PtrList& operator=(PtrList&&) noexcept = default;
    virtual ~PtrList() = default;

    int32_t count() const { return static_cast<int32_t>(items_.size()); }
    // Capacity in slots; always a multiple of the growth step.
    int32_t capacity() const { return capacity_; }
    ListItem* get(int32_t index) const;

    // index < 0 appends, 0..count-1 inserts before that item. Any other index inserts nothing
    // and hands the item back to the caller; otherwise the result is null.
    std::unique_ptr<ListItem> insert(int32_t index, std::unique_ptr<ListItem> item);
    void removeAt(int32_t index);
    // Deletes every item; the capacity is kept.
    void clear() { items_.clear(); }

private:
    std::vector<std::unique_ptr<ListItem>> items_;
    int32_t capacity_ = 0;
};

// An item that owns one payload object.
template <typename T>
class OwnedItem : public ListItem {
public:
    explicit OwnedItem(std::unique_ptr<T> owned) : payload(std::move(owned)) {}
    std::unique_ptr<T> payload;
};

// A PtrList whose items each own one T.
template <typename T>
class TypedList : public PtrList {
public:
    T* getPayload(int32_t index) const {
        auto* item = static_cast<OwnedItem<T>*>(get(index));
        return item ? item->payload.get() : nullptr;
    }
    T* appendOwned(std::unique_ptr<T> payload) {
        T* raw = payload.get();
        (void)insert(-1, std::make_unique<OwnedItem<T>>(std::move(payload)));
        return raw;
    }
};

// A list of string copies. at() and last() never fail: out of range they return one shared
// empty string.
class StringList : public TypedList<LString> {
public:
    static const LString& emptyString();

    void append(const LString& s) { appendOwned(std::make_unique<LString>(s)); }
    const LString& at(int32_t index) const;
    const LString& last() const { return at(count() - 1); }
    // Removes the last item, if any (lists double as stacks).
    void removeLast() { removeAt(count() - 1); }
};

}  // namespace wiz
