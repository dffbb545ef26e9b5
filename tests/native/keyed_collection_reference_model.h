// A plain reference model of the keyed collection that follows the members
// step by step: a vector of entries, keys matched by a linear scan with the
// text comparison, the sorted position by binary search with it. The model
// test and the collection fuzzer compare the fast collection with it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/native/icu_text_services.h"

namespace tarn::testing {

struct ModelEntry {
  std::u16string key;
  int32_t value;
};

// Results are plain numbers: the stored value, or -1 for Empty.
class ReferenceModel {
 public:
  int16_t raise_errors = -1;
  int16_t err = 0;
  int16_t sorted = 0;
  std::vector<ModelEntry> entries;

  // Each member returns the error number that reaches the caller (0 for none).
  int32_t Add(int32_t value, const std::u16string& key, std::optional<std::u16string> before_key,
              std::optional<int32_t> before_position, bool after, int32_t* result) {
    *result = -1;
    int32_t error = 0;
    const auto n = static_cast<int32_t>(entries.size());
    int32_t position = n + 1;
    if (sorted) {
      if (n > 0 && Compare(key, entries.back().key) <= 0) position = FindPosition(key);
    } else if (before_key || before_position) {
      const int32_t at = before_key ? Find(*before_key) : *before_position;
      if (before_key && at == 0) error = 5;
      if (!before_key && (at < 1 || at > n)) error = 9;
      if (!error) position = after ? at + 1 : at;
    }
    if (!error && Find(key) != 0) error = 457;
    if (!error) {
      entries.insert(entries.begin() + (position - 1), {key, value});
      *result = value;
    }
    return Report(error);
  }

  int32_t Remove(const std::optional<std::u16string>& key, int32_t position) {
    const int32_t error = Select(key, &position);
    if (!error) entries.erase(entries.begin() + (position - 1));
    return Report(error);
  }

  int32_t Replace(const std::optional<std::u16string>& key, int32_t position, int32_t value) {
    const int32_t error = Select(key, &position);
    if (!error) entries[static_cast<size_t>(position - 1)].value = value;
    return Report(error);
  }

  int32_t Read(const std::optional<std::u16string>& key, int32_t position, int32_t* value, std::u16string* found) {
    const int32_t error = Select(key, &position);
    *value = error ? -1 : entries[static_cast<size_t>(position - 1)].value;
    *found = error ? u"" : entries[static_cast<size_t>(position - 1)].key;
    return Report(error);
  }

  int32_t Index(const std::u16string& key) const { return Find(key); }

 private:
  static int Compare(const std::u16string& a, const std::u16string& b) { return TestTextServices().CompareText(a, b); }

  int32_t Find(const std::u16string& key) const {
    for (size_t i = 0; i < entries.size(); ++i) {
      if (Compare(entries[i].key, key) == 0) return static_cast<int32_t>(i + 1);
    }
    return 0;
  }

  // The sorted search of the collection, step by step.
  int32_t FindPosition(const std::u16string& key) const {
    int32_t low = 1, high = static_cast<int32_t>(entries.size()), pos = 0;
    while (low <= high) {
      const int32_t mid = (low + high) / 2;
      const int r = Compare(key, entries[static_cast<size_t>(mid - 1)].key);
      if (r == 0) return mid;
      if (r > 0) {
        pos = mid + 1;
        low = mid + 1;
      } else {
        pos = mid;
        high = mid - 1;
      }
    }
    return pos;
  }

  int32_t Select(const std::optional<std::u16string>& key, int32_t* position) const {
    if (key) {
      *position = Find(*key);
      return *position == 0 ? 5 : 0;
    }
    return *position < 1 || *position > static_cast<int32_t>(entries.size()) ? 9 : 0;
  }

  int32_t Report(int32_t error) {
    err = static_cast<int16_t>(error);
    return raise_errors ? error : 0;
  }
};

}  // namespace tarn::testing
