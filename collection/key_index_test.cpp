#include "collection/key_index.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/native/icu_text_services.h"
#include "tests/native/test_text.h"

namespace tarn::collection {
namespace {

// A node with no key and `sort_key` as its canonical form, owning its text.
struct TestNode {
  explicit TestNode(std::string sort_key) : text(std::move(sort_key)) {
    node.text = text.data();
    node.sort_key_length = static_cast<uint32_t>(text.size());
    node.hash = KeyIndex::HashOf(text);
  }
  std::string text;
  KeyNode node;
};

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
      ASSERT_EQ(index.Find(node->SortKey(), node->hash), nullptr) << node->SortKey();
      reference.erase(reference.begin() + (position - 1));
    }
    ASSERT_EQ(index.Count(), static_cast<int32_t>(reference.size()));
    if (step % 997 == 0 && !reference.empty()) {
      for (size_t i = 0; i < reference.size(); ++i) {
        const auto position = static_cast<int32_t>(i + 1);
        ASSERT_EQ(index.At(position), reference[i]) << "step " << step << " position " << position;
        ASSERT_EQ(index.PositionOf(reference[i]), position) << reference[i]->SortKey();
        ASSERT_EQ(index.Find(reference[i]->SortKey(), reference[i]->hash), reference[i]) << reference[i]->SortKey();
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
