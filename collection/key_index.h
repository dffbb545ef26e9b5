// The ordered index under the keyed list. Entries sit in position order in a
// counted B+ tree: leaves hold up to 64 entry pointers, inner blocks up to 64
// children with the number of entries under each, and every block knows its
// parent. Position to entry, entry to position, insertion and removal at any
// position, and the sorted insertion point all take O(log n) steps over a
// tree only a few blocks deep, so that large lists stay cache-friendly.
// Beside the tree, an open-addressing hash table maps each entry's canonical
// key to the entry, so lookup by key costs one probe sequence; it keeps each
// entry's hash beside it. Nothing here scans the entries. Appending at the
// end fills leaves and inner blocks completely; a split in the middle halves
// the block.
//
// The index does not own its entries: the keyed list allocates and frees them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::collection {

struct IndexLeaf;

// A node's canonical key and key are stored right after it, in the same
// allocation (the keyed list makes it): first the canonical key's bytes, then
// the key, as one byte per unit when every unit is below 256 (most keys), else
// as UTF-16 units. The hash table keeps each key's hash beside the entry's
// address.
struct KeyNode {
  // Set in key_length when the key is stored one byte per unit.
  static constexpr uint32_t kNarrowKey = 0x80000000u;
  // The longest key and canonical key a node can describe.
  static constexpr uint32_t kMaxLength = 0x3FFFFFFFu;

  IndexLeaf* leaf = nullptr;     // the leaf that holds the node
  uint32_t key_length = 0;       // UTF-16 units, with kNarrowKey
  uint32_t sort_key_length = 0;  // bytes

  // The canonical form: equal exactly when two keys match.
  std::string_view SortKey() const noexcept { return {Text(), sort_key_length}; }
  // The key as the client gave it.
  std::u16string Key() const;
  // The bytes the text after a node takes for `key` and `sort_key`, and the
  // node's lengths for them; WriteText stores them (key.size() and
  // sort_key.size() at most kMaxLength).
  static size_t TextBytes(std::u16string_view key, std::string_view sort_key) noexcept;
  void WriteText(std::u16string_view key, std::string_view sort_key) noexcept;

 private:
  const char* Text() const noexcept { return reinterpret_cast<const char*>(this) + sizeof(KeyNode); }
  char* Text() noexcept { return reinterpret_cast<char*>(this) + sizeof(KeyNode); }
};

struct IndexBlock;

class KeyIndex {
 public:
  KeyIndex() = default;
  KeyIndex(const KeyIndex&) = delete;
  KeyIndex& operator=(const KeyIndex&) = delete;
  ~KeyIndex();

  static uint32_t HashOf(std::string_view sort_key) noexcept;

  int32_t Count() const noexcept { return static_cast<int32_t>(count_); }

  // The entry whose canonical key is `sort_key` (with `hash` = HashOf(sort_key)), or null.
  KeyNode* Find(std::string_view sort_key, uint32_t hash) const noexcept;

  // The entry at 1-based `position`, which must lie in 1 to Count(). Reading
  // positions of the leaf read last costs no descent, so that reading in
  // order, forwards or backwards, descends once per leaf.
  KeyNode* At(int32_t position) const noexcept;
  // The 1-based position of an entry of this index.
  int32_t PositionOf(const KeyNode* node) const noexcept;
  // The last entry, or null when there is none.
  KeyNode* Last() const noexcept;
  // For entries in ascending canonical order: 1 + the number of entries whose
  // canonical key is less than `sort_key`.
  int32_t LowerBound(std::string_view sort_key) const noexcept;

  // Links `node` (its text written; no entry with that canonical key
  // present) at 1-based `position` in 1 to Count() + 1. Only allocation can
  // fail (std::bad_alloc), and then nothing has changed.
  void InsertAt(int32_t position, KeyNode* node);
  // Unlinks an entry; the caller frees it.
  void Erase(KeyNode* node) noexcept;

  // Unlinks every entry, handing each to `destroy`.
  void Clear(void (*destroy)(KeyNode*)) noexcept;

  // Blocks from the root to a leaf (0 when empty).
  int Height() const noexcept;

 private:
  void Rebalance(IndexBlock* block) noexcept;
  void ReserveForOneMore();
  void PlaceInTable(KeyNode* node, uint32_t hash) noexcept;
  void RemoveFromTable(const KeyNode* node) noexcept;

  IndexBlock* root_ = nullptr;
  uint32_t count_ = 0;
  std::vector<KeyNode*> slots_;  // size a power of two, or empty
  // The hash of each slot's entry: probes, removals and growth read no entry
  // but the one they look for.
  std::vector<uint32_t> slot_hashes_;
  size_t used_slots_ = 0;
  // The leaf At() reached last and the 0-based position of its first entry;
  // every change of the tree forgets it. Objects of the library live in one
  // apartment, so reads never race on it.
  mutable const IndexLeaf* cursor_ = nullptr;
  mutable uint32_t cursor_first_ = 0;
};

}  // namespace tarn::collection
