#include "collection/key_index.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "tests/native/icu_text_services.h"
#include "tests/native/test_text.h"

namespace tarn::collection {
namespace {

// A node with `key` and `sort_key` as its canonical form, in memory of its
// own laid out as the keyed list lays out an entry's node and text.
class TestNode {
 public:
  explicit TestNode(std::string_view sort_key, std::u16string_view key = {})
      : memory_((sizeof(KeyNode) + KeyNode::TextBytes(key, sort_key) + 7) / 8), node(*new (memory_.data()) KeyNode) {
    node.WriteText(key, sort_key);
  }
  TestNode(const TestNode&) = delete;
  TestNode& operator=(const TestNode&) = delete;

 private:
  std::vector<uint64_t> memory_;

 public:
  KeyNode& node;
};

uint32_t HashOf(const KeyNode* node) { return KeyIndex::HashOf(node->SortKey()); }

// Reads in order, forwards and backwards as For loops make them, with an
// insertion or a removal right beside the entry just read: the next read must
// see the change, even within the leaf read last.
TEST(KeyIndexTest, ReadsInOrderSeeEveryChangeBetweenThem) {
  std::mt19937 random(8);
  std::vector<std::unique_ptr<TestNode>> owned;
  std::vector<KeyNode*> reference;
  KeyIndex index;
  int next = 0;
  const auto insert = [&](int32_t position) {
    char name[16];
    std::snprintf(name, sizeof name, "k%d", next++);
    auto node = std::make_unique<TestNode>(name);
    index.InsertAt(position, &node->node);
    reference.insert(reference.begin() + (position - 1), &node->node);
    owned.push_back(std::move(node));
  };
  for (int i = 0; i < 5000; ++i) insert(static_cast<int32_t>(reference.size()) + 1);
  for (int pass = 0; pass < 6; ++pass) {
    const bool forwards = pass % 2 == 0;
    const auto n = static_cast<int32_t>(reference.size());
    for (int32_t k = 0; k < n && k < static_cast<int32_t>(reference.size()); ++k) {
      const int32_t position = forwards ? k + 1 : static_cast<int32_t>(reference.size()) - k;
      ASSERT_EQ(index.At(position), reference[static_cast<size_t>(position - 1)])
          << "pass " << pass << " position " << position;
      if (random() % 50 == 0) {
        insert(position);  // the entry read moves one on
      } else if (random() % 50 == 0 && reference.size() > 1) {
        KeyNode* gone = reference[static_cast<size_t>(position - 1)];
        index.Erase(gone);
        reference.erase(reference.begin() + (position - 1));
      }
    }
  }
}

// Positions, lookups and removals on a large index against a plain vector of
// the same nodes, with depths kept logarithmic.
TEST(KeyIndexTest, PositionsAndLookupsFollowAVectorOfTheSameNodes) {
  std::mt19937 random(7);
  std::vector<std::unique_ptr<TestNode>> owned;
  std::vector<KeyNode*> reference;
  KeyIndex index;
  int next = 0;
  for (int step = 0; step < 40000; ++step) {
    const auto n = static_cast<int32_t>(reference.size());
    if (n == 0 || random() % 3 != 0) {
      char name[16];
      std::snprintf(name, sizeof name, "k%d", next++);
      auto node = std::make_unique<TestNode>(name);
      const auto position = static_cast<int32_t>(random() % static_cast<uint32_t>(n + 1)) + 1;
      index.InsertAt(position, &node->node);
      reference.insert(reference.begin() + (position - 1), &node->node);
      owned.push_back(std::move(node));
    } else {
      const auto position = static_cast<int32_t>(random() % static_cast<uint32_t>(n)) + 1;
      KeyNode* node = index.At(position);
      ASSERT_EQ(node, reference[static_cast<size_t>(position - 1)]) << "step " << step;
      index.Erase(node);
      ASSERT_EQ(index.Find(node->SortKey(), HashOf(node)), nullptr) << node->SortKey();
      reference.erase(reference.begin() + (position - 1));
    }
    ASSERT_EQ(index.Count(), static_cast<int32_t>(reference.size()));
    if (step % 997 == 0 && !reference.empty()) {
      for (size_t i = 0; i < reference.size(); ++i) {
        const auto position = static_cast<int32_t>(i + 1);
        ASSERT_EQ(index.At(position), reference[i]) << "step " << step << " position " << position;
        ASSERT_EQ(index.PositionOf(reference[i]), position) << reference[i]->SortKey();
        ASSERT_EQ(index.Find(reference[i]->SortKey(), HashOf(reference[i])), reference[i]) << reference[i]->SortKey();
      }
      ASSERT_EQ(index.Last(), reference.back());
      // Blocks hold at least a quarter of their 64 items (or merge), so the
      // tree stays shallow.
      ASSERT_LE(index.Height(), 4) << reference.size() << " entries";
    }
  }
  // Drain it from the middle and at random, so that blocks underflow and
  // merge all the way up to the root.
  for (int step = 0; !reference.empty(); ++step) {
    const auto n = static_cast<uint32_t>(reference.size());
    const uint32_t at = step % 2 ? n / 2 : static_cast<uint32_t>(random() % n);
    KeyNode* node = index.At(static_cast<int32_t>(at + 1));
    ASSERT_EQ(node, reference[at]) << "drain step " << step;
    index.Erase(node);
    reference.erase(reference.begin() + at);
    ASSERT_EQ(index.Count(), static_cast<int32_t>(reference.size()));
    if (step % 499 == 0 || reference.size() < 70) {
      for (size_t i = 0; i < reference.size(); i += reference.size() < 70 ? 1 : 37) {
        ASSERT_EQ(index.PositionOf(reference[i]), static_cast<int32_t>(i + 1)) << "drain step " << step;
        ASSERT_EQ(index.At(static_cast<int32_t>(i + 1)), reference[i]) << "drain step " << step;
      }
    }
  }
  EXPECT_EQ(index.Height(), 0);
  EXPECT_EQ(index.Last(), nullptr);
  index.Clear([](KeyNode*) {});
  EXPECT_EQ(index.Count(), 0);
}

// Keys come back as given, whether stored one byte per unit (every unit below
// 256) or as UTF-16 units, beside canonical keys of any length.
TEST(KeyIndexTest, KeysAndCanonicalKeysReadBackAsWritten) {
  const std::u16string_view keys[] = {
      u"",         u"key0001234", std::u16string_view(u"a\0b", 3),    u"\u00e9t\u00e9", u"\u00ff", u"\u0100",
      u"x\u4e2dy", u"\xd800z",    std::u16string_view(u"\0\u20ac", 2)};
  const std::string_view sort_keys[] = {"", "\x01", std::string_view("\0\x0e\xff", 3)};
  for (const auto key : keys) {
    for (const auto sort_key : sort_keys) {
      const TestNode t(sort_key, key);
      EXPECT_EQ(t.node.Key(), key) << tarn::testing::Narrow(key);
      EXPECT_EQ(t.node.SortKey(), sort_key) << tarn::testing::Narrow(key);
      const bool narrow = key.find_first_of(u"\u0100\u4e2d\xd800\u20ac") == std::u16string_view::npos;
      EXPECT_EQ(KeyNode::TextBytes(key, sort_key), sort_key.size() + key.size() * (narrow ? 1 : 2))
          << tarn::testing::Narrow(key);
    }
  }
}

// Appending fills every block: 64 x 64 entries fit under one inner block,
// one more needs a third level. Inserting in the middle still splits halves,
// and every position stays right.
TEST(KeyIndexTest, AppendingFillsBlocks) {
  std::vector<std::unique_ptr<TestNode>> owned;
  KeyIndex index;
  const auto append = [&](int32_t position) {
    char name[16];
    std::snprintf(name, sizeof name, "k%zu", owned.size());
    owned.push_back(std::make_unique<TestNode>(name));
    index.InsertAt(position, &owned.back()->node);
  };
  for (int i = 0; i < 64 * 64; ++i) append(index.Count() + 1);
  EXPECT_EQ(index.Height(), 2);
  append(index.Count() + 1);
  EXPECT_EQ(index.Height(), 3);
  append(100);  // a full leaf in the middle splits in halves
  for (int32_t p = 1; p <= index.Count(); ++p) {
    const size_t expected = p < 100 ? p - 1 : p == 100 ? owned.size() - 1 : p - 2;
    ASSERT_EQ(index.At(p), &owned[expected]->node) << "position " << p;
    ASSERT_EQ(index.PositionOf(&owned[expected]->node), p);
  }
  index.Clear([](KeyNode*) {});
}

TEST(KeyIndexTest, LowerBoundOfSortedEntries) {
  std::vector<std::unique_ptr<TestNode>> owned;
  KeyIndex index;
  for (const char* key : {"b", "d", "f"}) {
    owned.push_back(std::make_unique<TestNode>(key));
    index.InsertAt(index.Count() + 1, &owned.back()->node);
  }
  const std::pair<const char*, int32_t> rows[] = {{"a", 1}, {"b", 1}, {"c", 2},   {"d", 2},
                                                  {"e", 3}, {"g", 4}, {"\xff", 4}};
  for (const auto& [key, expected] : rows) EXPECT_EQ(index.LowerBound(key), expected) << key;
  index.Clear([](KeyNode*) {});
}

// The canonical form and the text comparison never disagree: equal keys
// exactly when the comparison gives 0, and the same order otherwise.
TEST(KeyIndexTest, SortKeysAgreeWithTheTextComparison) {
  const auto& text = testing::TestTextServices();
  static constexpr char16_t kUnits[] = u"aAzZ\u00e9\u00c9e\u00dfs-' 1\u0130i\u00f1N";
  std::mt19937 random(11);
  const auto word = [&] {
    std::u16string w;
    for (auto n = random() % 4; n > 0; --n) w += kUnits[random() % (std::size(kUnits) - 1)];
    return w;
  };
  for (int i = 0; i < 3000; ++i) {
    const std::u16string a = word(), b = word();
    const int by_comparison = text.CompareText(a, b);
    const int by_key = text.SortKey(a).compare(text.SortKey(b));
    ASSERT_EQ(by_comparison, by_key < 0 ? -1 : (by_key > 0 ? 1 : 0))
        << testing::Narrow(a) << " vs " << testing::Narrow(b);
  }
  EXPECT_EQ(text.SortKey(u"MiXeD"), text.SortKey(u"mixed"));
  EXPECT_NE(text.SortKey(u"mixed"), text.SortKey(u"mixes"));
}

}  // namespace
}  // namespace tarn::collection
