// Little-endian encoding of records through their field lists, independent of the host's
// struct layout and byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace skarvel::codec {

template <class T>
constexpr std::size_t stored_size() {
    if constexpr (std::is_array_v<T>)
        return std::extent_v<T> * stored_size<std::remove_extent_t<T>>();
    else if constexpr (std::is_integral_v<T>)
        return sizeof(T);
    else
        return static_cast<std::size_t>(T::kSize);
}

template <class T>
void put(std::uint8_t* out, const T& value) {
    if constexpr (std::is_array_v<T>) {
        using E = std::remove_extent_t<T>;
        for (std::size_t i = 0; i < std::extent_v<T>; ++i)
            put(out + i * stored_size<E>(), value[i]);
    } else if constexpr (std::is_integral_v<T>) {
        using U = std::make_unsigned_t<T>;
        U u = static_cast<U>(value);
        for (std::size_t i = 0; i < sizeof(T); ++i)
            out[i] = static_cast<std::uint8_t>(u >> (8 * i));
    } else {
        T::visit_fields(value,
                        [out](std::size_t offset, const auto& field) { put(out + offset, field); });
    }
}

template <class T>
void get(const std::uint8_t* in, T& value) {
    if constexpr (std::is_array_v<T>) {
        using E = std::remove_extent_t<T>;
        for (std::size_t i = 0; i < std::extent_v<T>; ++i) get(in + i * stored_size<E>(), value[i]);
    } else if constexpr (std::is_integral_v<T>) {
        using U = std::make_unsigned_t<T>;
        U u = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i) u |= static_cast<U>(U(in[i]) << (8 * i));
        value = static_cast<T>(u);
    } else {
        T::visit_fields(value, [in](std::size_t offset, auto& field) { get(in + offset, field); });
    }
}

// Reads an integer of type T at a byte offset of a buffer.
template <class T>
T read_at(const std::uint8_t* buf, std::size_t offset) {
    T v{};
    get(buf + offset, v);
    return v;
}

}  // namespace skarvel::codec
