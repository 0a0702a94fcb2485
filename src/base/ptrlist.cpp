#include "base/ptrlist.h"

#include <algorithm>

namespace wiz {

ListItem* PtrList::get(int32_t index) const {
    if (index < 0 || index >= count()) return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

std::unique_ptr<ListItem> PtrList::insert(int32_t index, std::unique_ptr<ListItem> item) {
    if (index >= count()) return item;
    if (count() + 1 > capacity_) {
        capacity_ += growthStep;
        // The vector itself grows geometrically so long lists stay linear to build; the
        // reported capacity follows the fixed step.
        if (items_.capacity() < static_cast<size_t>(capacity_))
            items_.reserve(std::max(static_cast<size_t>(capacity_), items_.capacity() * 2));
    }
    if (index < 0) {
        items_.push_back(std::move(item));
    } else {
        items_.insert(items_.begin() + index, std::move(item));
    }
    return nullptr;
}

void PtrList::removeAt(int32_t index) {
    if (index < 0 || index >= count()) return;
    items_.erase(items_.begin() + index);
}

const LString& StringList::emptyString() {
    static const LString empty;
    return empty;
}

const LString& StringList::at(int32_t index) const {
    const LString* s = getPayload(index);
    return s ? *s : emptyString();
}

}  // namespace wiz
