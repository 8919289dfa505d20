#pragma once
// A set of enumeration values, as small sets of flags are used all through the framework
// (component state, shift state, font styles). Values must lie in 0..63.
#include <cassert>
#include <cstdint>
#include <initializer_list>

template <class E> class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> values) {
        for (E v : values)
            bits_ |= Bit(v);
    }

    constexpr bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr TSet& Include(E v) {
        bits_ |= Bit(v);
        return *this;
    }
    constexpr TSet& Exclude(E v) {
        bits_ &= ~Bit(v);
        return *this;
    }
    constexpr TSet& Set(E v, bool on) { return on ? Include(v) : Exclude(v); }

    // Union, difference, intersection.
    friend constexpr TSet operator+(TSet a, TSet b) { return FromBits(a.bits_ | b.bits_); }
    friend constexpr TSet operator-(TSet a, TSet b) { return FromBits(a.bits_ & ~b.bits_); }
    friend constexpr TSet operator*(TSet a, TSet b) { return FromBits(a.bits_ & b.bits_); }
    friend constexpr bool operator==(TSet a, TSet b) = default;
    // Subset.
    friend constexpr bool operator<=(TSet a, TSet b) { return (a.bits_ & ~b.bits_) == 0; }
    TSet& operator+=(TSet o) { return *this = *this + o; }
    TSet& operator-=(TSet o) { return *this = *this - o; }

    constexpr std::uint64_t Bits() const { return bits_; }
    static constexpr TSet FromBits(std::uint64_t bits) {
        TSet s;
        s.bits_ = bits;
        return s;
    }

private:
    static constexpr std::uint64_t Bit(E v) {
        auto n = static_cast<std::uint64_t>(v);
        assert(n < 64);
        return std::uint64_t{1} << (n & 63);
    }
    std::uint64_t bits_ = 0;
};
