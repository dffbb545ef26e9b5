// The ordered index under the keyed list. Entries sit in position order in a
// counted B+ tree: leaves hold up to 64 entry pointers, inner blocks up to 64
// children with the number of entries under each, and every block knows its
// parent. Position to entry, entry to position, insertion and removal at any
// position, and the sorted insertion point all take O(log n) steps over a
// tree only a few blocks deep, so that large lists stay cache-friendly.
// Beside the tree, an open-addressing hash table maps each entry's canonical
// key to the entry, so lookup by key costs one probe sequence. Nothing here
// scans the entries.
//
// The index does not own its entries: the keyed list allocates and frees them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::collection {

struct IndexLeaf;

// A node's key and canonical key are stored elsewhere (the keyed list puts
// them in the same allocation, right after the node): `text` holds the key's
// UTF-16 units, then the canonical key's bytes.
struct KeyNode {
  IndexLeaf* leaf = nullptr;  // the leaf that holds the node
  const char* text = nullptr;
  uint32_t hash = 0;
  uint32_t key_length = 0;       // UTF-16 units
  uint32_t sort_key_length = 0;  // bytes

  // The key as the client gave it.
  std::u16string_view Key() const noexcept { return {reinterpret_cast<const char16_t*>(text), key_length}; }
  // The canonical form: equal exactly when two keys match.
  std::string_view SortKey() const noexcept { return {text + 2 * size_t{key_length}, sort_key_length}; }
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

  // Links `node` (text, lengths and hash set; no entry with that canonical key
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
  void PlaceInTable(KeyNode* node) noexcept;
  void RemoveFromTable(const KeyNode* node) noexcept;

  IndexBlock* root_ = nullptr;
  uint32_t count_ = 0;
  std::vector<KeyNode*> slots_;  // size a power of two, or empty
  size_t used_slots_ = 0;
  // The leaf At() reached last and the 0-based position of its first entry;
  // every change of the tree forgets it. Objects of the library live in one
  // apartment, so reads never race on it.
  mutable const IndexLeaf* cursor_ = nullptr;
  mutable uint32_t cursor_first_ = 0;
};

}  // namespace tarn::collection
