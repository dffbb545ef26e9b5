#include "frame/version_info.h"

#include <vector>

namespace tarn {
namespace {

// Every node of the block has the same shape: its length in bytes (children
// included), the length of its value, the value's type (1 text, counted in
// UTF-16 units; 0 binary, counted in bytes), a NUL-terminated key, padding to
// 32 bits, the value, padding to 32 bits, and its children. Offsets are from
// the start of the block, which is 32-bit aligned.
struct Node {
  std::u16string key;
  size_t value_offset;
  size_t value_bytes;
  size_t children_offset;
  size_t end;
};

constexpr size_t kHeaderBytes = 6;

size_t Align4(size_t offset) { return (offset + 3) & ~size_t{3}; }

uint16_t Word(std::span<const uint8_t> block, size_t offset) {
  return static_cast<uint16_t>(block[offset] | (block[offset + 1] << 8));
}

// The node at `offset`, which must end by `limit`.
std::optional<Node> ReadNode(std::span<const uint8_t> block, size_t offset, size_t limit) {
  if (limit > block.size() || offset > limit || limit - offset < kHeaderBytes) return std::nullopt;
  const size_t length = Word(block, offset);
  if (length < kHeaderBytes || length > limit - offset) return std::nullopt;
  Node node{};
  node.end = offset + length;
  const size_t value_length = Word(block, offset + 2);
  const uint16_t type = Word(block, offset + 4);
  size_t at = offset + kHeaderBytes;
  for (;; at += 2) {
    if (node.end - at < 2) return std::nullopt;  // the key runs past the node
    const char16_t unit = Word(block, at);
    if (unit == 0) break;
    node.key.push_back(unit);
  }
  node.value_offset = std::min(Align4(at + 2), node.end);
  node.value_bytes = std::min(type == 1 ? value_length * 2 : value_length, node.end - node.value_offset);
  node.children_offset = std::min(Align4(node.value_offset + node.value_bytes), node.end);
  return node;
}

std::vector<Node> ChildrenOf(std::span<const uint8_t> block, const Node& parent) {
  std::vector<Node> children;
  size_t at = parent.children_offset;
  while (at < parent.end) {
    auto child = ReadNode(block, at, parent.end);
    if (!child) break;
    at = Align4(child->end);
    children.push_back(std::move(*child));
  }
  return children;
}

std::u16string TextOf(std::span<const uint8_t> block, const Node& node) {
  std::u16string text;
  for (size_t at = node.value_offset; node.value_offset + node.value_bytes - at >= 2; at += 2) {
    const char16_t unit = Word(block, at);
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

}  // namespace

std::optional<std::u16string> FindVersionString(std::span<const uint8_t> block, std::u16string_view name) {
  const auto root = ReadNode(block, 0, block.size());
  if (!root || root->key != u"VS_VERSION_INFO") return std::nullopt;
  for (const Node& info : ChildrenOf(block, *root)) {
    if (info.key != u"StringFileInfo") continue;
    for (const Node& table : ChildrenOf(block, info)) {
      for (const Node& entry : ChildrenOf(block, table)) {
        if (entry.key == name) return TextOf(block, entry);
      }
    }
  }
  return std::nullopt;
}

}  // namespace tarn
