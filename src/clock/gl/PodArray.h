#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <span>
#include <type_traits>

// A growable array of plain values that never initialises what it hands out
// and never shrinks: the batcher writes every element it appends, and a
// frame must not allocate once the arrays have grown to the frame's size.
template <typename T>
class PodArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    void clear() { m_size = 0; }
    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_capacity; }
    T* data() { return m_data.get(); }
    const T* data() const { return m_data.get(); }
    std::span<const T> view() const { return {m_data.get(), m_size}; }
    T& operator[](std::size_t i) { return m_data[i]; }
    const T& operator[](std::size_t i) const { return m_data[i]; }

    void reserve(std::size_t n)
    {
        if (n <= m_capacity)
            return;
        const std::size_t grown = std::max(n, m_capacity + m_capacity / 2 + 64);
        std::unique_ptr<T[]> bigger(new T[grown]);
        if (m_size)
            std::memcpy(bigger.get(), m_data.get(), m_size * sizeof(T));
        m_data = std::move(bigger);
        m_capacity = grown;
    }

    // Makes room for `n` more elements and returns where they go; the caller
    // writes them and then commits how many it actually used.
    T* extend(std::size_t n)
    {
        reserve(m_size + n);
        return m_data.get() + m_size;
    }
    void commit(std::size_t n) { m_size += n; }

    void push(const T& value)
    {
        if (m_size == m_capacity)
            reserve(m_size + 1);
        m_data[m_size++] = value;
    }

    void pop()
    {
        if (m_size)
            --m_size;
    }
    const T& back() const { return m_data[m_size - 1]; }

    // Appends zero-filled elements (padding for texture rows).
    void padTo(std::size_t n)
    {
        if (n <= m_size)
            return;
        reserve(n);
        std::memset(static_cast<void*>(m_data.get() + m_size), 0, (n - m_size) * sizeof(T));
        m_size = n;
    }

private:
    std::unique_ptr<T[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};
