#include "collection/key_index.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <utility>

namespace tarn::collection {

struct IndexInner;

inline constexpr uint32_t kFanout = 64;
// A block with fewer items than this is merged with a neighbour when both fit in one.
inline constexpr uint32_t kUnderfull = kFanout / 4;

struct IndexBlock {
  explicit IndexBlock(bool is_leaf) noexcept : leaf(is_leaf) {}
  IndexInner* parent = nullptr;
  uint32_t count = 0;  // entries of a leaf, children of an inner block
  bool leaf;
};

struct IndexLeaf final : IndexBlock {
  IndexLeaf() noexcept : IndexBlock(true) {}
  std::array<KeyNode*, kFanout> entries{};
};

struct IndexInner final : IndexBlock {
  IndexInner() noexcept : IndexBlock(false) {}
  std::array<IndexBlock*, kFanout> children{};
  std::array<uint32_t, kFanout> sizes{};  // entries under each child
};

namespace {

// Moves [first, last) to begin at `target`, within one array: the ranges may overlap.
template <typename T>
void ShiftItems(T* first, T* last, T* target) noexcept {
  if (target < first) {
    std::copy(first, last, target);
  } else {
    std::copy_backward(first, last, target + (last - first));
  }
}

IndexLeaf* AsLeaf(IndexBlock* b) noexcept { return static_cast<IndexLeaf*>(b); }
IndexInner* AsInner(IndexBlock* b) noexcept { return static_cast<IndexInner*>(b); }
const IndexInner* AsInner(const IndexBlock* b) noexcept { return static_cast<const IndexInner*>(b); }

void Delete(IndexBlock* b) noexcept {
  if (b->leaf) {
    delete AsLeaf(b);
  } else {
    delete AsInner(b);
  }
}

// The tree is only a few blocks deep: recursion is bounded by its height.
void DeleteTree(IndexBlock* b) noexcept {
  if (!b->leaf) {
    for (uint32_t k = 0; k < b->count; ++k) DeleteTree(AsInner(b)->children[k]);
  }
  Delete(b);
}

uint32_t ChildIndex(const IndexInner* parent, const IndexBlock* child) noexcept {
  uint32_t k = 0;
  while (parent->children[k] != child) ++k;
  return k;
}

uint32_t EntriesUnder(const IndexBlock* b) noexcept {
  if (b->leaf) return b->count;
  const auto* inner = AsInner(b);
  uint32_t total = 0;
  for (uint32_t k = 0; k < inner->count; ++k) total += inner->sizes[k];
  return total;
}

const KeyNode* FirstEntry(const IndexBlock* b) noexcept {
  while (!b->leaf) b = AsInner(b)->children[0];
  return static_cast<const IndexLeaf*>(b)->entries[0];
}

// Moves items [from, from + n) of `source` to the end of `target`, keeping
// the back links of what moves.
void MoveItems(IndexBlock* source, uint32_t from, uint32_t n, IndexBlock* target) noexcept {
  if (source->leaf) {
    auto* s = AsLeaf(source);
    auto* t = AsLeaf(target);
    for (uint32_t i = 0; i < n; ++i) {
      KeyNode* e = s->entries[from + i];
      e->leaf = t;
      t->entries[t->count++] = e;
    }
  } else {
    auto* s = AsInner(source);
    auto* t = AsInner(target);
    for (uint32_t i = 0; i < n; ++i) {
      IndexBlock* c = s->children[from + i];
      c->parent = t;
      t->sizes[t->count] = s->sizes[from + i];
      t->children[t->count++] = c;
    }
  }
  // Close the gap in the source.
  const uint32_t end = source->count;
  if (source->leaf) {
    KeyNode** e = AsLeaf(source)->entries.data();
    ShiftItems(e + from + n, e + end, e + from);
  } else {
    auto* s = AsInner(source);
    ShiftItems(s->children.data() + from + n, s->children.data() + end, s->children.data() + from);
    ShiftItems(s->sizes.data() + from + n, s->sizes.data() + end, s->sizes.data() + from);
  }
  source->count -= n;
}

void RemoveChild(IndexInner* parent, uint32_t k) noexcept {
  IndexBlock** c = parent->children.data();
  uint32_t* z = parent->sizes.data();
  ShiftItems(c + k + 1, c + parent->count, c + k);
  ShiftItems(z + k + 1, z + parent->count, z + k);
  --parent->count;
}

void InsertChild(IndexInner* parent, uint32_t k, IndexBlock* child, uint32_t size) noexcept {
  IndexBlock** c = parent->children.data();
  uint32_t* z = parent->sizes.data();
  ShiftItems(c + k, c + parent->count, c + k + 1);
  ShiftItems(z + k, z + parent->count, z + k + 1);
  parent->children[k] = child;
  parent->sizes[k] = size;
  child->parent = parent;
  ++parent->count;
}

void InsertEntry(IndexLeaf* leaf, uint32_t index, KeyNode* node) noexcept {
  KeyNode** e = leaf->entries.data();
  ShiftItems(e + index, e + leaf->count, e + index + 1);
  e[index] = node;
  ++leaf->count;
  node->leaf = leaf;
}

// Blocks made ahead of a split and not used are freed as what they are.
struct BlockDeleter {
  void operator()(IndexBlock* b) const noexcept { Delete(b); }
};
using OwnedBlock = std::unique_ptr<IndexBlock, BlockDeleter>;

// Where a full block splits for a new item at `index` (0 to kFanout): at the
// end, the new block takes only the new item, so that appending fills blocks
// completely; anywhere else the block splits in halves.
uint32_t SplitPoint(uint32_t index) noexcept { return index == kFanout ? kFanout : kFanout / 2; }

}  // namespace

std::u16string KeyNode::Key() const {
  const uint32_t units = key_length & ~kNarrowKey;
  const char* key = Text() + sort_key_length;
  std::u16string out(units, u'\0');
  if (key_length & kNarrowKey) {
    for (uint32_t i = 0; i < units; ++i) out[i] = static_cast<unsigned char>(key[i]);
  } else if (units) {
    std::memcpy(out.data(), key, units * sizeof(char16_t));
  }
  return out;
}

size_t KeyNode::TextBytes(std::u16string_view key, std::string_view sort_key) noexcept {
  const bool narrow = std::all_of(key.begin(), key.end(), [](char16_t u) { return u < 256; });
  return sort_key.size() + key.size() * (narrow ? 1 : sizeof(char16_t));
}

void KeyNode::WriteText(std::u16string_view key, std::string_view sort_key) noexcept {
  const bool narrow = std::all_of(key.begin(), key.end(), [](char16_t u) { return u < 256; });
  char* text = Text();
  if (!sort_key.empty()) std::memcpy(text, sort_key.data(), sort_key.size());
  char* out = text + sort_key.size();
  if (narrow) {
    for (size_t i = 0; i < key.size(); ++i) out[i] = static_cast<char>(static_cast<unsigned char>(key[i]));
  } else if (!key.empty()) {
    std::memcpy(out, key.data(), key.size() * sizeof(char16_t));
  }
  key_length = static_cast<uint32_t>(key.size()) | (narrow ? kNarrowKey : 0);
  sort_key_length = static_cast<uint32_t>(sort_key.size());
}

KeyIndex::~KeyIndex() {
  Clear([](KeyNode*) {});
}

uint32_t KeyIndex::HashOf(std::string_view sort_key) noexcept {
  // Eight bytes a step (the table computes hashes again on every removal and
  // growth, so they must be cheap): each step mixes the next word in by a
  // multiply and a shift; the tail is one more, zero-padded word, and the
  // length is mixed in so that trailing zero bytes count.
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  uint64_t h = 0xCBF29CE484222325ull ^ (sort_key.size() * kMultiplier);
  const char* p = sort_key.data();
  size_t left = sort_key.size();
  for (; left >= 8; p += 8, left -= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    h = (h ^ word) * kMultiplier;
    h ^= h >> 29;
  }
  if (left) {
    uint64_t word = 0;
    std::memcpy(&word, p, left);
    h = (h ^ word) * kMultiplier;
    h ^= h >> 29;
  }
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 32;
  return static_cast<uint32_t>(h);
}

KeyNode* KeyIndex::Find(std::string_view sort_key, uint32_t hash) const noexcept {
  if (slots_.empty()) return nullptr;
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    KeyNode* slot = slots_[i];
    if (!slot) return nullptr;
    if (slot_hashes_[i] == hash && slot->SortKey() == sort_key) return slot;
  }
}

KeyNode* KeyIndex::At(int32_t position) const noexcept {
  const auto wanted = static_cast<uint32_t>(position - 1);
  if (cursor_ && wanted - cursor_first_ < cursor_->count) return cursor_->entries[wanted - cursor_first_];
  auto index = wanted;
  const IndexBlock* b = root_;
  while (!b->leaf) {
    const auto* inner = AsInner(b);
    uint32_t k = 0;
    while (index >= inner->sizes[k]) index -= inner->sizes[k++];
    b = inner->children[k];
  }
  cursor_ = static_cast<const IndexLeaf*>(b);
  cursor_first_ = wanted - index;
  return cursor_->entries[index];
}

int32_t KeyIndex::PositionOf(const KeyNode* node) const noexcept {
  const IndexLeaf* leaf = node->leaf;
  uint32_t position = 0;
  while (leaf->entries[position] != node) ++position;
  for (const IndexBlock* b = leaf; b->parent; b = b->parent) {
    const IndexInner* p = b->parent;
    for (uint32_t k = 0; p->children[k] != b; ++k) position += p->sizes[k];
  }
  return static_cast<int32_t>(position + 1);
}

KeyNode* KeyIndex::Last() const noexcept { return count_ ? At(static_cast<int32_t>(count_)) : nullptr; }

int32_t KeyIndex::LowerBound(std::string_view sort_key) const noexcept {
  if (!root_) return 1;
  uint32_t less = 0;
  const IndexBlock* b = root_;
  while (!b->leaf) {
    // The last child whose first entry is less, else the first child: every
    // child before it holds only smaller keys, every child after only larger.
    const auto* inner = AsInner(b);
    uint32_t low = 1, high = inner->count;  // search [low, high) for the first child not less
    while (low < high) {
      const uint32_t mid = low + (high - low) / 2;
      if (FirstEntry(inner->children[mid])->SortKey() < sort_key) {
        low = mid + 1;
      } else {
        high = mid;
      }
    }
    const uint32_t k = low - 1;
    for (uint32_t j = 0; j < k; ++j) less += inner->sizes[j];
    b = inner->children[k];
  }
  const auto* leaf = static_cast<const IndexLeaf*>(b);
  const auto* end = leaf->entries.data() + leaf->count;
  const auto* first_not_less =
      std::partition_point(leaf->entries.data(), end, [&](const KeyNode* e) { return e->SortKey() < sort_key; });
  return static_cast<int32_t>(less + static_cast<uint32_t>(first_not_less - leaf->entries.data()) + 1);
}

void KeyIndex::InsertAt(int32_t position, KeyNode* node) {
  cursor_ = nullptr;
  ReserveForOneMore();
  if (!root_) root_ = new IndexLeaf;
  // Find the leaf and the slot, then allocate every block the splits on the
  // way up will need before anything changes.
  auto index = static_cast<uint32_t>(position - 1);
  IndexBlock* b = root_;
  while (!b->leaf) {
    auto* inner = AsInner(b);
    uint32_t k = 0;
    while (k + 1 < inner->count && index > inner->sizes[k]) index -= inner->sizes[k++];
    b = inner->children[k];
  }
  IndexLeaf* leaf = AsLeaf(b);
  std::vector<OwnedBlock> spare;
  for (IndexBlock* full = leaf; full && full->count == kFanout; full = full->parent) {
    if (full->leaf) {
      spare.emplace_back(new IndexLeaf);
    } else {
      spare.emplace_back(new IndexInner);
    }
    if (full == root_) spare.emplace_back(new IndexInner);
  }
  std::reverse(spare.begin(), spare.end());  // taken from the back: leaf first, new root last
  const auto take = [&spare] {
    IndexBlock* block = spare.back().release();
    spare.pop_back();
    return block;
  };

  // Count the new entry on the way down.
  for (IndexBlock* child = leaf; child->parent; child = child->parent) {
    ++child->parent->sizes[ChildIndex(child->parent, child)];
  }
  ++count_;

  if (leaf->count < kFanout) {
    InsertEntry(leaf, index, node);
    PlaceInTable(node, HashOf(node->SortKey()));
    return;
  }
  // Split the full leaf; the new entry goes to the half it falls in.
  auto* right = AsLeaf(take());
  const uint32_t split = SplitPoint(index);
  MoveItems(leaf, split, kFanout - split, right);
  if (split == kFanout || index > leaf->count) {
    InsertEntry(right, index - leaf->count, node);
  } else {
    InsertEntry(leaf, index, node);
  }
  // Link the new block into the parents, splitting them as needed.
  IndexBlock* left_block = leaf;
  IndexBlock* right_block = right;
  for (;;) {
    IndexInner* parent = left_block->parent;
    if (!parent) {
      auto* root = AsInner(take());
      InsertChild(root, 0, left_block, EntriesUnder(left_block));
      InsertChild(root, 1, right_block, EntriesUnder(right_block));
      root_ = root;
      break;
    }
    const uint32_t k = ChildIndex(parent, left_block);
    parent->sizes[k] = EntriesUnder(left_block);
    if (parent->count < kFanout) {
      InsertChild(parent, k + 1, right_block, EntriesUnder(right_block));
      break;
    }
    auto* parent_right = AsInner(take());
    const uint32_t parent_split = SplitPoint(k + 1);
    MoveItems(parent, parent_split, kFanout - parent_split, parent_right);
    if (parent_split == kFanout || k + 1 > parent->count) {
      InsertChild(parent_right, k + 1 - parent->count, right_block, EntriesUnder(right_block));
    } else {
      InsertChild(parent, k + 1, right_block, EntriesUnder(right_block));
    }
    left_block = parent;
    right_block = parent_right;
  }
  PlaceInTable(node, HashOf(node->SortKey()));
}

void KeyIndex::Erase(KeyNode* node) noexcept {
  cursor_ = nullptr;
  RemoveFromTable(node);
  IndexLeaf* leaf = node->leaf;
  uint32_t slot = 0;
  while (leaf->entries[slot] != node) ++slot;
  KeyNode** e = leaf->entries.data();
  ShiftItems(e + slot + 1, e + leaf->count, e + slot);
  --leaf->count;
  for (IndexBlock* child = leaf; child->parent; child = child->parent) {
    --child->parent->sizes[ChildIndex(child->parent, child)];
  }
  --count_;
  node->leaf = nullptr;
  Rebalance(leaf);
}

void KeyIndex::Rebalance(IndexBlock* block) noexcept {
  while (block) {
    IndexInner* parent = block->parent;
    if (!parent) {
      // The root: gone when empty, replaced by its child when it has one.
      if (block->count == 0) {
        Delete(block);
        root_ = nullptr;
      } else if (!block->leaf && block->count == 1) {
        root_ = AsInner(block)->children[0];
        root_->parent = nullptr;
        Delete(block);
      }
      return;
    }
    const uint32_t k = ChildIndex(parent, block);
    if (block->count == 0) {
      RemoveChild(parent, k);
      Delete(block);
      block = parent;
      continue;
    }
    if (block->count >= kUnderfull) return;
    // Merge with a neighbour when both fit in one block: the right one of the
    // pair moves into the left one.
    IndexBlock* left = nullptr;
    IndexBlock* right = nullptr;
    if (k > 0 && parent->children[k - 1]->count + block->count <= kFanout) {
      left = parent->children[k - 1];
      right = block;
    } else if (k + 1 < parent->count && parent->children[k + 1]->count + block->count <= kFanout) {
      left = block;
      right = parent->children[k + 1];
    } else {
      return;
    }
    const uint32_t left_index = left == block ? k : k - 1;
    parent->sizes[left_index] += parent->sizes[left_index + 1];
    MoveItems(right, 0, right->count, left);
    RemoveChild(parent, left_index + 1);
    Delete(right);
    block = parent;
  }
}

int KeyIndex::Height() const noexcept {
  int height = 0;
  for (const IndexBlock* b = root_; b; b = b->leaf ? nullptr : AsInner(b)->children[0]) ++height;
  return height;
}

void KeyIndex::ReserveForOneMore() {
  // Load factor at most 3/4; the table doubles, so inserts stay amortised O(1).
  if ((used_slots_ + 1) * 4 <= slots_.size() * 3) return;
  const size_t size = slots_.empty() ? 16 : slots_.size() * 2;
  std::vector<KeyNode*> old(size, nullptr);
  std::vector<uint32_t> old_hashes(size, 0);
  old.swap(slots_);
  old_hashes.swap(slot_hashes_);
  used_slots_ = 0;
  for (size_t i = 0; i < old.size(); ++i) {
    if (old[i]) PlaceInTable(old[i], old_hashes[i]);
  }
}

void KeyIndex::PlaceInTable(KeyNode* node, uint32_t hash) noexcept {
  const size_t mask = slots_.size() - 1;
  size_t i = hash & mask;
  while (slots_[i]) i = (i + 1) & mask;
  slots_[i] = node;
  slot_hashes_[i] = hash;
  ++used_slots_;
}

void KeyIndex::RemoveFromTable(const KeyNode* node) noexcept {
  const size_t mask = slots_.size() - 1;
  size_t hole = HashOf(node->SortKey()) & mask;
  while (slots_[hole] != node) hole = (hole + 1) & mask;
  slots_[hole] = nullptr;
  --used_slots_;
  // Backward shift: move later members of the probe run into the hole when
  // their home slot does not lie cyclically between the hole and themselves.
  for (size_t next = (hole + 1) & mask; slots_[next]; next = (next + 1) & mask) {
    const size_t home = slot_hashes_[next] & mask;
    const bool stays = hole < next ? (home > hole && home <= next) : (home > hole || home <= next);
    if (!stays) {
      slots_[hole] = slots_[next];
      slot_hashes_[hole] = slot_hashes_[next];
      slots_[next] = nullptr;
      hole = next;
    }
  }
}

void KeyIndex::Clear(void (*destroy)(KeyNode*)) noexcept {
  cursor_ = nullptr;
  if (root_) DeleteTree(root_);
  root_ = nullptr;
  count_ = 0;
  for (KeyNode*& slot : slots_) {
    if (slot) destroy(std::exchange(slot, nullptr));
  }
  used_slots_ = 0;
}

}  // namespace tarn::collection
