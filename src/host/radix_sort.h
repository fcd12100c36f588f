// A stable sort by an unsigned key taken a byte at a time, least
// significant first: linear in the items, where a comparison sort's passes
// grow with their logarithm and miss the cache on large sheets. A byte that
// is the same in every item (scores leave most of theirs alike) costs no
// pass.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace tavo::host {

// `byteOf(item, b)` gives byte b (0 the least significant) of the item's
// key of `Bytes` bytes.
template <int Bytes, class T, class ByteOf>
void RadixSort(std::vector<T>& items, ByteOf byteOf) {
  std::vector<std::array<std::size_t, 256>> counts(Bytes);
  for (const T& item : items)
    for (int b = 0; b < Bytes; ++b) ++counts[static_cast<std::size_t>(b)][byteOf(item, b)];
  std::vector<T> buffer(items.size());
  for (int b = 0; b < Bytes; ++b) {
    std::array<std::size_t, 256>& count = counts[static_cast<std::size_t>(b)];
    if (std::find(count.begin(), count.end(), items.size()) != count.end()) continue;
    std::size_t at = 0;
    for (std::size_t& c : count) at += std::exchange(c, at);
    for (const T& item : items) buffer[count[byteOf(item, b)]++] = item;
    items.swap(buffer);
  }
}

// A number as an unsigned key in the number's order, -0 as 0.
inline std::uint64_t OrderedBits(double value) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value == 0 ? 0.0 : value);
  return bits >> 63 ? ~bits : bits | (1ull << 63);
}

// The number an OrderedBits key stands for (0 for -0).
inline double FromOrderedBits(std::uint64_t key) {
  return std::bit_cast<double>(key >> 63 ? key & ~(1ull << 63) : ~key);
}

}  // namespace tavo::host
