#include "collection/key_index.h"

#include <utility>

namespace tarn::collection {

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
  auto index = static_cast<uint32_t>(position - 1);
  KeyNode* node = root_;
  for (;;) {
    const uint32_t left = SizeOf(node->left);
    if (index < left) {
      node = node->left;
    } else if (index == left) {
      return node;
    } else {
      index -= left + 1;
      node = node->right;
    }
  }
}

int32_t KeyIndex::PositionOf(const KeyNode* node) const noexcept {
  uint32_t position = SizeOf(node->left) + 1;
  for (; node->parent; node = node->parent) {
    if (node == node->parent->right) position += SizeOf(node->parent->left) + 1;
  }
  return static_cast<int32_t>(position);
}

KeyNode* KeyIndex::Last() const noexcept {
  KeyNode* node = root_;
  while (node && node->right) node = node->right;
  return node;
}

int32_t KeyIndex::LowerBound(std::string_view sort_key) const noexcept {
  uint32_t less = 0;
  for (const KeyNode* node = root_; node;) {
    if (node->SortKey() < sort_key) {
      less += SizeOf(node->left) + 1;
      node = node->right;
    } else {
      node = node->left;
    }
  }
  return static_cast<int32_t>(less + 1);
}

uint32_t KeyIndex::NextPriority() noexcept {
  // xorshift32: priorities need only be independent of keys and positions.
  uint32_t x = random_state_;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  random_state_ = x;
  return x;
}

void KeyIndex::InsertAt(int32_t position, KeyNode* node) {
  ReserveForOneMore();
  node->left = node->right = node->parent = nullptr;
  node->size = 1;
  node->priority = NextPriority();
  if (!root_) {
    root_ = node;
  } else {
    auto index = static_cast<uint32_t>(position - 1);
    KeyNode* at = root_;
    for (;;) {
      ++at->size;
      const uint32_t left = SizeOf(at->left);
      if (index <= left) {
        if (!at->left) {
          at->left = node;
          break;
        }
        at = at->left;
      } else {
        index -= left + 1;
        if (!at->right) {
          at->right = node;
          break;
        }
        at = at->right;
      }
    }
    node->parent = at;
    while (node->parent && node->parent->priority < node->priority) RotateUp(node);
  }
  PlaceInTable(node);
}

void KeyIndex::Erase(KeyNode* node) noexcept {
  RemoveFromTable(node);
  while (node->left && node->right) {
    RotateUp(node->left->priority > node->right->priority ? node->left : node->right);
  }
  KeyNode* child = node->left ? node->left : node->right;
  KeyNode* parent = node->parent;
  if (child) child->parent = parent;
  if (!parent) {
    root_ = child;
  } else if (parent->left == node) {
    parent->left = child;
  } else {
    parent->right = child;
  }
  for (KeyNode* up = parent; up; up = up->parent) --up->size;
  node->left = node->right = node->parent = nullptr;
  node->size = 1;
}

void KeyIndex::RotateUp(KeyNode* node) noexcept {
  KeyNode* parent = node->parent;
  KeyNode* grand = parent->parent;
  if (parent->left == node) {
    parent->left = node->right;
    if (node->right) node->right->parent = parent;
    node->right = parent;
  } else {
    parent->right = node->left;
    if (node->left) node->left->parent = parent;
    node->left = parent;
  }
  parent->parent = node;
  node->parent = grand;
  if (!grand) {
    root_ = node;
  } else if (grand->left == parent) {
    grand->left = node;
  } else {
    grand->right = node;
  }
  node->size = parent->size;
  parent->size = 1 + SizeOf(parent->left) + SizeOf(parent->right);
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
  root_ = nullptr;
  for (KeyNode*& slot : slots_) {
    if (slot) destroy(std::exchange(slot, nullptr));
  }
  used_slots_ = 0;
}

}  // namespace tarn::collection
