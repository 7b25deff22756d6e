// Reference-counted byte blocks: the common currency for file contents, HTTP bodies,
// printed XML and flash images.
#pragma once

#include <quarro/memory/data_ptr.h>
#include <quarro/memory/quick_allocator.h>
#include <quarro/memory/reference_counter.h>
#include <quarro/types.h>

#include <memory>

namespace memory {

/// A block that does not own its bytes: the empty block, or a view of bytes that outlive it.
/// The bytes are not guarded; a block is filled by one thread before it is shared.
class data : public reference_counter
{
    QUARRO_POOLED_CLASS(data, 1024, 0)

public:
    data() noexcept = default;
    data(const void* bytes, quarro::u64 size) noexcept
        : bytes_(static_cast<quarro::u8*>(const_cast<void*>(bytes))), size_(size)
    {}
    data(const data&) = delete;
    data& operator=(const data&) = delete;
    virtual ~data() = default;

    const quarro::u8* bytes() const noexcept { return bytes_; }
    quarro::u64 size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }

protected:
    quarro::u8* bytes_ = nullptr;
    quarro::u64 size_ = 0;
};

/// A growable block.
class mutable_data : public data
{
public:
    /// Makes room for `capacity` bytes; a capacity below the size truncates the block.
    virtual void reserve(quarro::u64 capacity) = 0;

    quarro::u8* mutable_bytes() noexcept { return bytes_; }
};

/// A growable block that owns its buffer, allocated with `Allocator`.
template <class Allocator = std::allocator<char>>
class mutable_data_ex final : public mutable_data
{
    QUARRO_POOLED_CLASS(mutable_data_ex, 1024, 0)

public:
    /// An empty block (null bytes, size 0) with room for `capacity` bytes.
    explicit mutable_data_ex(quarro::u64 capacity = 0)
    {
        if (capacity > 0)
            reserve(capacity);
    }
    ~mutable_data_ex() override { deallocate(bytes_, capacity_); }

    quarro::u64 capacity() const noexcept { return capacity_; }

    void reserve(quarro::u64 capacity) override
    {
        quarro::u8* buffer = capacity > 0 ? allocate(capacity) : nullptr;
        const quarro::u64 kept = size_ < capacity ? size_ : capacity;
        for (quarro::u64 i = 0; i < kept; ++i)
            buffer[i] = bytes_[i];
        deallocate(bytes_, capacity_);
        bytes_ = buffer;
        size_ = kept;
        capacity_ = capacity;
    }

    /// Appends n bytes; when they don't fit, first reserves twice the new size.
    void append(const void* source, quarro::u64 n)
    {
        if (n == 0)
            return;
        if (size_ + n > capacity_)
            reserve(2 * (size_ + n));
        const auto* from = static_cast<const quarro::u8*>(source);
        for (quarro::u64 i = 0; i < n; ++i)
            bytes_[size_ + i] = from[i];
        size_ += n;
    }

    /// Sets the size; growing beyond the capacity reserves exactly the new size first.
    /// Bytes gained are left as the buffer holds them.
    void resize(quarro::u64 size)
    {
        if (size > capacity_)
            reserve(size);
        size_ = size;
    }

private:
    quarro::u8* allocate(quarro::u64 n)
    {
        return reinterpret_cast<quarro::u8*>(allocator_.allocate(n));
    }
    void deallocate(quarro::u8* buffer, quarro::u64 n) noexcept
    {
        if (buffer != nullptr)
            allocator_.deallocate(reinterpret_cast<char*>(buffer), n);
    }

    quarro::u64 capacity_ = 0;
    Allocator allocator_;
};

using growable_data = mutable_data_ex<std::allocator<char>>;

/// A new empty block that owns room for `capacity` bytes.
inline data_ptr<growable_data> make_mutable_data(quarro::u64 capacity = 0)
{
    return data_ptr<growable_data>(new growable_data(capacity));
}

/// A new block holding a copy of the bytes.
inline data_ptr<growable_data> make_data_copy(const void* bytes, quarro::u64 size)
{
    auto block = make_mutable_data(size);
    block->append(bytes, size);
    return block;
}

} // namespace memory
