#pragma once
// Sets of flags as scoped enums: each kind of flag has its own type, so flags of different operations can't
// be mixed up, and | and Has work only on types that ask for them (EnableFlags).
#include <type_traits>

template <class E> struct EnableFlags : std::false_type {};

template <class E>
    requires EnableFlags<E>::value
constexpr E operator|(E a, E b) {
    using U = std::underlying_type_t<E>;
    return static_cast<E>(static_cast<U>(a) | static_cast<U>(b));
}

// Whether set holds every flag of flags.
template <class E>
    requires EnableFlags<E>::value
constexpr bool Has(E set, E flags) {
    using U = std::underlying_type_t<E>;
    return (static_cast<U>(set) & static_cast<U>(flags)) == static_cast<U>(flags);
}
