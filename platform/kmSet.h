#pragma once
// A small set over an enumeration, the C++ form of the component library's
// "set of" types (font styles, items to render, permissions, ...).

#include <bitset>
#include <cstddef>
#include <initializer_list>
#include <type_traits>

namespace km {

// Set<E, N>: a set of the enumerators of E, whose underlying values lie in 0..N-1.
template <typename E, std::size_t N = 64>
class Set {
 public:
  constexpr Set() = default;
  Set(std::initializer_list<E> items) {
    for (E e : items) Include(e);
  }

  bool Contains(E e) const { return bits_.test(Index(e)); }
  Set& Include(E e) { bits_.set(Index(e)); return *this; }
  Set& Exclude(E e) { bits_.reset(Index(e)); return *this; }
  bool Empty() const { return bits_.none(); }
  std::size_t Count() const { return bits_.count(); }
  void Clear() { bits_.reset(); }

  friend Set operator|(Set a, const Set& b) { a.bits_ |= b.bits_; return a; }
  friend Set operator&(Set a, const Set& b) { a.bits_ &= b.bits_; return a; }
  friend Set operator-(Set a, const Set& b) { a.bits_ &= ~b.bits_; return a; }
  friend bool operator==(const Set& a, const Set& b) { return a.bits_ == b.bits_; }

  // The raw bits, bit i standing for the enumerator of value i.
  unsigned long long Bits() const { return bits_.to_ullong(); }
  static Set FromBits(unsigned long long bits) { Set s; s.bits_ = std::bitset<N>(bits); return s; }

 private:
  static std::size_t Index(E e) { return static_cast<std::size_t>(static_cast<std::underlying_type_t<E>>(e)); }
  std::bitset<N> bits_;
};

}  // namespace km
