// The intrusive pointer through which every reference-counted object is handed around.
#pragma once

#include <cstddef>
#include <utility>

namespace memory {

/// Holds one reference on an object derived from reference_counter. Dropping the last
/// reference deletes the object (through its virtual destructor where it has one).
/// A data_ptr may be copied between threads; the object it points to is not guarded.
template <class T>
class data_ptr
{
public:
    data_ptr() noexcept = default;
    data_ptr(std::nullptr_t) noexcept {}
    /// Takes a new reference on `object` (which may be null).
    explicit data_ptr(T* object) noexcept : object_(object) { acquire(); }
    data_ptr(const data_ptr& other) noexcept : object_(other.object_) { acquire(); }
    data_ptr(data_ptr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    template <class U>
    data_ptr(const data_ptr<U>& other) noexcept : object_(other.get())
    {
        acquire();
    }
    ~data_ptr() { release(); }

    data_ptr& operator=(data_ptr other) noexcept
    {
        std::swap(object_, other.object_);
        return *this;
    }

    /// Drops this pointer's reference and becomes null.
    void release() noexcept
    {
        T* object = std::exchange(object_, nullptr);
        if (object != nullptr && object->remove_reference() == 0)
            delete object;
    }

    T* get() const noexcept { return object_; }
    T* operator->() const noexcept { return object_; }
    T& operator*() const noexcept { return *object_; }
    explicit operator bool() const noexcept { return object_ != nullptr; }
    bool empty() const noexcept { return object_ == nullptr; }

    friend bool operator==(const data_ptr& a, const data_ptr& b) noexcept
    {
        return a.object_ == b.object_;
    }
    friend bool operator!=(const data_ptr& a, const data_ptr& b) noexcept { return !(a == b); }

private:
    void acquire() noexcept
    {
        if (object_ != nullptr)
            object_->add_reference();
    }

    T* object_ = nullptr;
};

/// Builds a T and returns it held by one reference.
template <class T, class... Args>
data_ptr<T> make_data_ptr(Args&&... args)
{
    return data_ptr<T>(new T(std::forward<Args>(args)...));
}

} // namespace memory
