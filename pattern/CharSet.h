#pragma once
// Character sets of the class nodes and the class reader: a 256-bit map for
// the values 0-255 and, in the wide variant only, a sorted vector for the
// values beyond. Membership is one bit test for the common case.
#include <algorithm>
#include <cstdint>
#include <type_traits>
#include <vector>

template <class Ch> class CharSetT {
 public:
  static constexpr bool kWide = !std::is_same<Ch, char>::value;

  bool contains(Ch c) const {
    uint32_t u = value(c);
    if (u < 256) return (low_[u >> 6] >> (u & 63)) & 1u;
    if constexpr (kWide) return std::binary_search(high_.begin(), high_.end(), c);
    return false;
  }

  void add(Ch c) {
    uint32_t u = value(c);
    if (u < 256) {
      low_[u >> 6] |= uint64_t(1) << (u & 63);
      return;
    }
    if constexpr (kWide) {
      auto it = std::lower_bound(high_.begin(), high_.end(), c);
      if (it == high_.end() || *it != c) high_.insert(it, c);
    }
  }

  void unite(const CharSetT& o) {
    for (int i = 0; i < 4; ++i) low_[i] |= o.low_[i];
    if constexpr (kWide) {
      std::vector<Ch> out;
      std::set_union(high_.begin(), high_.end(), o.high_.begin(), o.high_.end(),
                     std::back_inserter(out));
      high_.swap(out);
    }
  }

  void intersect(const CharSetT& o) {
    for (int i = 0; i < 4; ++i) low_[i] &= o.low_[i];
    if constexpr (kWide) {
      std::vector<Ch> out;
      std::set_intersection(high_.begin(), high_.end(), o.high_.begin(), o.high_.end(),
                            std::back_inserter(out));
      high_.swap(out);
    }
  }

  // Complement over the values 0-255 only; wider members do not survive.
  void complement256() {
    for (int i = 0; i < 4; ++i) low_[i] = ~low_[i];
    if constexpr (kWide) high_.clear();
  }

  int size() const {
    int n = 0;
    for (int i = 0; i < 4; ++i) n += __builtin_popcountll(low_[i]);
    if constexpr (kWide) n += static_cast<int>(high_.size());
    return n;
  }

  bool empty() const {
    if (low_[0] | low_[1] | low_[2] | low_[3]) return false;
    if constexpr (kWide) return high_.empty();
    return true;
  }

  // The members in ascending order of value (0-255 first).
  template <class F> void forEach(F f) const {
    for (uint32_t u = 0; u < 256; ++u)
      if ((low_[u >> 6] >> (u & 63)) & 1u) f(static_cast<Ch>(u));
    if constexpr (kWide)
      for (Ch c : high_) f(c);
  }

  // The only member, when there is exactly one.
  bool single(Ch* out) const {
    int found = -1;
    for (int i = 0; i < 4; ++i) {
      uint64_t w = low_[i];
      if (!w) continue;
      if ((w & (w - 1)) || found >= 0) return false;
      found = i * 64 + __builtin_ctzll(w);
    }
    if constexpr (kWide) {
      if (found < 0) {
        if (high_.size() != 1) return false;
        *out = high_[0];
        return true;
      }
      if (!high_.empty()) return false;
    }
    if (found < 0) return false;
    *out = static_cast<Ch>(found);
    return true;
  }

  static uint32_t value(Ch c) {
    if constexpr (kWide) return static_cast<uint32_t>(c);
    else return static_cast<unsigned char>(c);
  }

 private:
  uint64_t low_[4] = {0, 0, 0, 0};
  struct Empty {};
  std::conditional_t<kWide, std::vector<Ch>, Empty> high_;
};
