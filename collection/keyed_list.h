// The keyed list: values at 1-based positions, each filed under a unique key
// that is matched ignoring letter case. Keys are matched and ordered by one
// canonical form, the locale's sort key ignoring case from TextServices, so
// that lookup by key and the sorted order can never disagree. Every operation
// is logarithmic or better (see KeyIndex).
//
// `Value` is the stored value type: copying it is the Automation copy (an
// object as another reference to the same object, anything else a deep copy).
#pragma once

#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "collection/key_index.h"
#include "collection/selector.h"
#include "frame/automation_error.h"
#include "frame/text_services.h"

namespace tarn::collection {

// A key's canonical form and its hash.
struct KeyForm {
  std::string sort_key;
  uint32_t hash = 0;
};

inline KeyForm KeyFormOf(const TextServices& text, std::u16string_view key) {
  KeyForm form{text.SortKey(key), 0};
  form.hash = KeyIndex::HashOf(form.sort_key);
  return form;
}

template <typename Value>
class KeyedList {
  // One allocation per entry: the value, the node, then the node's text.
  static constexpr size_t kValueBytes = (sizeof(Value) + alignof(KeyNode) - 1) / alignof(KeyNode) * alignof(KeyNode);
  static_assert(alignof(Value) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__ && kValueBytes % alignof(Value) == 0);
  static_assert(std::is_nothrow_move_constructible_v<Value>);

 public:
  struct Entry final : KeyNode {
    Value& value() noexcept {
      return *std::launder(reinterpret_cast<Value*>(reinterpret_cast<char*>(this) - kValueBytes));
    }
    const Value& value() const noexcept {
      return *std::launder(reinterpret_cast<const Value*>(reinterpret_cast<const char*>(this) - kValueBytes));
    }
  };

  explicit KeyedList(const TextServices& text) : text_(text) {}
  KeyedList(const KeyedList&) = delete;
  KeyedList& operator=(const KeyedList&) = delete;
  ~KeyedList() { index_.Clear(&DestroyEntry); }

  int32_t Count() const noexcept { return index_.Count(); }
  const TextServices& Text() const noexcept { return text_; }

  Entry* Find(const KeyForm& form) const noexcept { return static_cast<Entry*>(index_.Find(form.sort_key, form.hash)); }
  Entry* Find(std::u16string_view key) const { return Find(KeyFormOf(text_, key)); }

  // The entry at `position`: error 9 outside 1 to Count().
  Entry& At(int32_t position) const {
    if (position < 1 || position > Count()) RaiseStandardError(kErrSubscript);
    return *static_cast<Entry*>(index_.At(position));
  }

  // The entry a selector chooses: error 5 for a missing key, 9 for a position
  // out of range, and the conversion's own errors.
  Entry& Select(const Selector& selector) const {
    if (selector.IsKey()) {
      Entry* entry = Find(selector.Key());
      if (!entry) RaiseStandardError(kErrInvalidCall);
      return *entry;
    }
    return At(selector.Position());
  }

  int32_t PositionOf(const Entry& entry) const noexcept { return index_.PositionOf(&entry); }
  Entry* Last() const noexcept { return static_cast<Entry*>(index_.Last()); }
  // Where `form` belongs among entries in ascending canonical order.
  int32_t SortedPosition(const KeyForm& form) const noexcept { return index_.LowerBound(form.sort_key); }

  // Adds `value` under `key` at `position` (1 to Count() + 1): error 457 when
  // the key is present. A failed insert changes nothing.
  Entry& Insert(int32_t position, std::u16string_view key, const KeyForm& form, Value value) {
    if (Find(form)) RaiseStandardError(kErrDuplicateKey);
    if (Count() == INT32_MAX || key.size() > KeyNode::kMaxLength || form.sort_key.size() > KeyNode::kMaxLength) {
      RaiseStandardError(kErrOutOfMemory);
    }
    char* memory =
        static_cast<char*>(::operator new(kValueBytes + sizeof(Entry) + KeyNode::TextBytes(key, form.sort_key)));
    new (memory) Value(std::move(value));
    auto* entry = new (memory + kValueBytes) Entry;
    entry->WriteText(key, form.sort_key);
    try {
      index_.InsertAt(position, entry);
    } catch (...) {
      DestroyEntry(entry);
      throw;
    }
    return *entry;
  }

  // Takes an entry out of the list; its value is released after the list is
  // consistent again, so that code run by that release sees the list without it.
  void Remove(Entry& entry) noexcept {
    index_.Erase(&entry);
    DestroyEntry(&entry);
  }

 private:
  static void DestroyEntry(KeyNode* node) noexcept {
    auto* entry = static_cast<Entry*>(node);
    entry->value().~Value();
    entry->~Entry();
    ::operator delete(reinterpret_cast<char*>(entry) - kValueBytes);
  }

  const TextServices& text_;
  KeyIndex index_;
};

}  // namespace tarn::collection
