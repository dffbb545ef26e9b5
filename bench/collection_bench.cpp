// The keyed collection at 10,000, 100,000 and 1,000,000 entries: nanoseconds
// per operation for unsorted append, sorted insert of keys in random order,
// lookup by key, read by position, Index and removal from the middle, and the
// heap bytes per entry beyond the keys and values themselves. Keys are
// compared through ICU sort keys, as the native tests do. Figures, not pass
// or fail.
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "collection/keyed_collection.h"
#include "tests/native/icu_text_services.h"

namespace {

size_t g_live_bytes = 0;

}  // namespace

// Live heap bytes, counted as the allocator really hands them out. The
// replaced operator delete frees what the replaced operator new took from
// malloc, which the compiler cannot see as a matching pair.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  g_live_bytes += malloc_usable_size(p);
  return p;
}
void operator delete(void* p) noexcept {
  if (!p) return;
  g_live_bytes -= malloc_usable_size(p);
  std::free(p);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }

namespace {

using tarn::collection::KeySelector;
using tarn::collection::PositionSelector;
using Collection = tarn::collection::KeyedCollection<std::u16string>;

volatile size_t sink;

std::u16string KeyOf(uint32_t n) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "key%07u", n);
  return std::u16string(digits, digits + std::char_traits<char>::length(digits));
}

double NsPerOp(std::chrono::steady_clock::time_point start, size_t ops) {
  const std::chrono::duration<double, std::nano> d = std::chrono::steady_clock::now() - start;
  return d.count() / static_cast<double>(ops);
}

void Run(uint32_t n) {
  const auto& text = tarn::testing::TestTextServices();
  std::mt19937 random(n);
  std::vector<uint32_t> order(n);
  for (uint32_t i = 0; i < n; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), random);
  std::vector<std::u16string> keys(n);
  for (uint32_t i = 0; i < n; ++i) keys[i] = KeyOf(order[i] * 7919u % 9999991u);
  const std::u16string value = u"v1234";

  const size_t heap_before = g_live_bytes;
  Collection unsorted(text);
  auto t = std::chrono::steady_clock::now();
  for (const auto& key : keys) unsorted.Add(value, key, nullptr, nullptr);
  const double append = NsPerOp(t, n);
  const size_t collection_bytes = g_live_bytes - heap_before;

  // The same keys and values in a plain vector: what they take themselves.
  const size_t plain_before = g_live_bytes;
  {
    std::vector<std::pair<std::u16string, std::u16string>> plain;
    plain.reserve(n);
    for (const auto& key : keys) plain.emplace_back(key, value);
    const size_t plain_bytes = g_live_bytes - plain_before;
    std::printf("%9u entries: %.1f bytes per entry beyond key and value (%.1f total, %.1f for key and value)\n", n,
                static_cast<double>(collection_bytes - plain_bytes) / n, static_cast<double>(collection_bytes) / n,
                static_cast<double>(plain_bytes) / n);
  }

  Collection sorted(text);
  sorted.SetSorted(-1);
  t = std::chrono::steady_clock::now();
  for (const auto& key : keys) sorted.Add(value, key, nullptr, nullptr);
  const double sorted_add = NsPerOp(t, n);

  constexpr size_t kReads = 200000;
  std::vector<uint32_t> picks(kReads);
  for (auto& p : picks) p = static_cast<uint32_t>(random() % n);
  t = std::chrono::steady_clock::now();
  for (const uint32_t p : picks) sink = sink + unsorted.ReadValue(KeySelector(keys[p])).size();
  const double by_key = NsPerOp(t, kReads);
  t = std::chrono::steady_clock::now();
  for (const uint32_t p : picks) sink = sink + unsorted.ReadValue(PositionSelector(static_cast<int32_t>(p + 1))).size();
  const double by_position = NsPerOp(t, kReads);
  // Every entry in order, as For i = 1 To c.Count and its Step -1 twin read them.
  t = std::chrono::steady_clock::now();
  for (uint32_t p = 1; p <= n; ++p) sink = sink + unsorted.ReadValue(PositionSelector(static_cast<int32_t>(p))).size();
  const double forwards = NsPerOp(t, n);
  t = std::chrono::steady_clock::now();
  for (uint32_t p = n; p >= 1; --p) sink = sink + unsorted.ReadValue(PositionSelector(static_cast<int32_t>(p))).size();
  const double backwards = NsPerOp(t, n);
  t = std::chrono::steady_clock::now();
  for (const uint32_t p : picks) sink = sink + static_cast<size_t>(unsorted.Index(keys[p]));
  const double index = NsPerOp(t, kReads);
  t = std::chrono::steady_clock::now();
  for (const uint32_t p : picks) sink = sink + static_cast<size_t>(sorted.Index(keys[p]));
  const double sorted_index = NsPerOp(t, kReads);

  t = std::chrono::steady_clock::now();
  for (const uint32_t p : picks) sink = sink + text.SortKey(keys[p]).size();
  const double sort_key = NsPerOp(t, kReads);

  const size_t removals = n / 10;
  t = std::chrono::steady_clock::now();
  for (size_t i = 0; i < removals; ++i) unsorted.Remove(PositionSelector(unsorted.Count() / 2));
  const double remove_middle = NsPerOp(t, removals);

  std::printf(
      "%9u entries, ns/op: append %.0f | sorted insert (random order) %.0f | lookup by key %.0f | "
      "read by position %.0f (in order %.0f, backwards %.0f) | Index %.0f (sorted %.0f) | remove from the middle "
      "%.0f | of which a key's sort key alone %.0f\n",
      n, append, sorted_add, by_key, by_position, forwards, backwards, index, sorted_index, remove_middle, sort_key);
}

}  // namespace

int main() {
  for (const uint32_t n : {10000u, 100000u, 1000000u}) Run(n);
  return 0;
}
