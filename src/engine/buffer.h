// A growable array of plain items for the pass lists.
#ifndef TARVEX_BUFFER_H
#define TARVEX_BUFFER_H

#include <cstddef>
#include <cstring>
#include <memory>
#include <utility>

// A growable array of plain items: appending is a store and an increment, and the memory is
// kept when it is emptied, so that lists refilled line after line stay in the cache.
template <typename T>
class Buffer {
public:
    Buffer() = default;
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    Buffer(Buffer&& other) noexcept { swap(other); }
    Buffer& operator=(Buffer&& other) noexcept {
        swap(other);
        return *this;
    }

    void push_back(const T& item) {
        if (size_ == capacity_) grow();
        items_[size_++] = item;
    }
    void clear() { size_ = 0; }
    // Drops the first n items.
    void drop_front(std::size_t n) {
        std::memmove(items_.get(), items_.get() + n, (size_ - n) * sizeof(T));
        size_ -= n;
    }
    void swap(Buffer& other) noexcept {
        items_.swap(other.items_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](std::size_t k) { return items_[k]; }
    const T& operator[](std::size_t k) const { return items_[k]; }
    const T* begin() const { return items_.get(); }
    const T* end() const { return items_.get() + size_; }

private:
    // Rarely called: kept out of the loops that append.
#if defined(__GNUC__) || defined(__clang__)
    __attribute__((noinline))
#endif
    void grow() {
        const std::size_t capacity = capacity_ < 16 ? 16 : 2 * capacity_;
        std::unique_ptr<T[]> items(new T[capacity]);
        if (size_ > 0) std::memcpy(items.get(), items_.get(), size_ * sizeof(T));
        items_.swap(items);
        capacity_ = capacity;
    }

    std::unique_ptr<T[]> items_;
    std::size_t size_ = 0, capacity_ = 0;
};

#endif
