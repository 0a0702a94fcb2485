// A zero-filled byte buffer of count x size bytes.
#pragma once

#include <cstddef>
#include <vector>

namespace wiz {

class ZeroedBuffer {
public:
    // Frees any previous buffer; allocates only when both numbers are non-zero.
    void allocate(size_t count, size_t size) {
        release();
        if (count != 0 && size != 0) {
            bytes_.assign(count * size, 0);
            count_ = count;
            size_ = size;
        }
    }
    void release() {
        std::vector<unsigned char>().swap(bytes_);
        count_ = 0;
        size_ = 0;
    }
    unsigned char* data() { return bytes_.empty() ? nullptr : bytes_.data(); }
    size_t count() const { return count_; }
    size_t elementSize() const { return size_; }
    size_t byteSize() const { return bytes_.size(); }

private:
    std::vector<unsigned char> bytes_;
    size_t count_ = 0;
    size_t size_ = 0;
};

}  // namespace wiz
