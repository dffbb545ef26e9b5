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
  const uint32_t rest = source->count - from - n;
  if (source->leaf) {
    auto* s = AsLeaf(source);
    std::memmove(&s->entries[from], &s->entries[from + n], rest * sizeof(KeyNode*));
  } else {
    auto* s = AsInner(source);
    std::memmove(&s->children[from], &s->children[from + n], rest * sizeof(IndexBlock*));
    std::memmove(&s->sizes[from], &s->sizes[from + n], rest * sizeof(uint32_t));
  }
  source->count -= n;
}

void RemoveChild(IndexInner* parent, uint32_t k) noexcept {
  const uint32_t rest = parent->count - k - 1;
  std::memmove(&parent->children[k], &parent->children[k + 1], rest * sizeof(IndexBlock*));
  std::memmove(&parent->sizes[k], &parent->sizes[k + 1], rest * sizeof(uint32_t));
  --parent->count;
}

void InsertChild(IndexInner* parent, uint32_t k, IndexBlock* child, uint32_t size) noexcept {
  const uint32_t rest = parent->count - k;
  std::memmove(&parent->children[k + 1], &parent->children[k], rest * sizeof(IndexBlock*));
  std::memmove(&parent->sizes[k + 1], &parent->sizes[k], rest * sizeof(uint32_t));
  parent->children[k] = child;
  parent->sizes[k] = size;
  child->parent = parent;
  ++parent->count;
}

}  // namespace

KeyIndex::~KeyIndex() {
  Clear([](KeyNode*) {});
}

uint32_t KeyIndex::HashOf(std::string_view sort_key) noexcept {
  // FNV-1a over the bytes, folded to 32 bits after a final mix.
  uint64_t h = 0xCBF29CE484222325ull;
  for (const char c : sort_key) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001B3ull;
  }
  h ^= h >> 29;
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
    if (slot->hash == hash && slot->SortKey() == sort_key) return slot;
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
  std::vector<std::unique_ptr<IndexBlock>> spare;
  for (IndexBlock* full = leaf; full && full->count == kFanout; full = full->parent) {
    if (full->leaf) {
      spare.push_back(std::make_unique<IndexLeaf>());
    } else {
      spare.push_back(std::make_unique<IndexInner>());
    }
    if (full == root_) spare.push_back(std::make_unique<IndexInner>());
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

  // Insert into the leaf, splitting it in halves when it is full.
  if (leaf->count == kFanout) {
    auto* right = AsLeaf(take());
    MoveItems(leaf, kFanout / 2, kFanout / 2, right);
    IndexLeaf* target = leaf;
    if (index > leaf->count) {
      index -= leaf->count;
      target = right;
    }
    std::memmove(&target->entries[index + 1], &target->entries[index], (target->count - index) * sizeof(KeyNode*));
    target->entries[index] = node;
    ++target->count;
    node->leaf = target;
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
      MoveItems(parent, kFanout / 2, kFanout / 2, parent_right);
      if (k + 1 <= parent->count) {
        InsertChild(parent, k + 1, right_block, EntriesUnder(right_block));
      } else {
        InsertChild(parent_right, k + 1 - parent->count, right_block, EntriesUnder(right_block));
      }
      // The parent's own entry above it now counts only what stayed.
      left_block = parent;
      right_block = parent_right;
    }
  } else {
    std::memmove(&leaf->entries[index + 1], &leaf->entries[index], (leaf->count - index) * sizeof(KeyNode*));
    leaf->entries[index] = node;
    ++leaf->count;
    node->leaf = leaf;
  }
  PlaceInTable(node);
}

void KeyIndex::Erase(KeyNode* node) noexcept {
  cursor_ = nullptr;
  RemoveFromTable(node);
  IndexLeaf* leaf = node->leaf;
  uint32_t slot = 0;
  while (leaf->entries[slot] != node) ++slot;
  std::memmove(&leaf->entries[slot], &leaf->entries[slot + 1], (leaf->count - slot - 1) * sizeof(KeyNode*));
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
  std::vector<KeyNode*> old(slots_.empty() ? 16 : slots_.size() * 2, nullptr);
  old.swap(slots_);
  used_slots_ = 0;
  for (KeyNode* node : old) {
    if (node) PlaceInTable(node);
  }
}

void KeyIndex::PlaceInTable(KeyNode* node) noexcept {
  const size_t mask = slots_.size() - 1;
  size_t i = node->hash & mask;
  while (slots_[i]) i = (i + 1) & mask;
  slots_[i] = node;
  ++used_slots_;
}

void KeyIndex::RemoveFromTable(const KeyNode* node) noexcept {
  const size_t mask = slots_.size() - 1;
  size_t hole = node->hash & mask;
  while (slots_[hole] != node) hole = (hole + 1) & mask;
  slots_[hole] = nullptr;
  --used_slots_;
  // Backward shift: move later members of the probe run into the hole when
  // their home slot does not lie cyclically between the hole and themselves.
  for (size_t next = (hole + 1) & mask; slots_[next]; next = (next + 1) & mask) {
    const size_t home = slots_[next]->hash & mask;
    const bool stays = hole < next ? (home > hole && home <= next) : (home > hole || home <= next);
    if (!stays) {
      slots_[hole] = slots_[next];
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
