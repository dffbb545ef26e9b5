// The fast collection against the plain reference model
// (tests/native/keyed_collection_reference_model.h). Both run the same random
// operations and must give the same results, the same errors and the same
// contents.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "collection/keyed_collection.h"
#include "tests/native/counted_value.h"
#include "tests/native/error_of.h"
#include "tests/native/icu_text_services.h"
#include "tests/native/keyed_collection_reference_model.h"
#include "tests/native/test_text.h"

namespace tarn::collection {
namespace {

using testing::CountedValue;
using testing::ErrorOf;
using testing::Narrow;
using testing::ReferenceModel;
using testing::TestTextServices;

int32_t NumberOf(const CountedValue& v) {
  if (v.IsEmpty()) return -1;
  for (int32_t n = 0;; ++n) {
    if (v == CountedValue(n)) return n;
  }
}

class ModelComparison {
 public:
  explicit ModelComparison(uint32_t seed) : random_(seed), fast_(TestTextServices()) {}

  void Step(int step) {
    const std::string where = "seed step " + std::to_string(step);
    const int kind = Pick(0, 9);
    const auto n = static_cast<int32_t>(model_.entries.size());
    const std::u16string key = RandomKey();
    const int32_t position = Pick(-1, n + 1);
    const bool by_key = Pick(0, 1) == 0;
    const std::optional<std::u16string> selector_key = by_key ? std::optional(key) : std::nullopt;
    const KeySelector key_selector(key);
    const PositionSelector position_selector(position);
    const Selector& selector = by_key ? static_cast<const Selector&>(key_selector) : position_selector;
    int32_t expected_value = 0, value = 0;
    std::u16string expected_key, found_key;
    switch (kind) {
      case 0:
      case 1:
      case 2:
      case 3: {
        const int32_t v = next_value_++;
        const int placement = model_.sorted ? 0 : Pick(0, 4);  // none, before, after
        const bool after = placement >= 3;
        std::optional<std::u16string> before_key;
        std::optional<int32_t> before_position;
        if (placement == 1 || placement == 3) before_key = key.substr(0, 1);
        if (placement == 2 || placement == 4) before_position = Pick(0, n + 1);
        const std::u16string place_text = before_key.value_or(u"");
        const KeySelector place_key(place_text);
        const PositionSelector place_position(before_position.value_or(0));
        const Selector* place =
            before_key ? static_cast<const Selector*>(&place_key) : (before_position ? &place_position : nullptr);
        const int32_t expected = model_.Add(v, key, before_key, before_position, after, &expected_value);
        const int32_t got = ErrorOf([&] {
          value = NumberOf(fast_.Add(CountedValue(v), key, after ? nullptr : place, after ? place : nullptr));
        });
        if (got) value = -1;
        ASSERT_EQ(got, expected) << where << " Add " << Narrow(key);
        ASSERT_EQ(value, expected_value) << where << " Add " << Narrow(key);
        break;
      }
      case 4:
        ASSERT_EQ(ErrorOf([&] { fast_.Remove(selector); }), model_.Remove(selector_key, position)) << where;
        break;
      case 5: {
        const int32_t v = next_value_++;
        ASSERT_EQ(ErrorOf([&] { fast_.ReplaceValue(selector, CountedValue(v)); }),
                  model_.Replace(selector_key, position, v))
            << where;
        break;
      }
      case 6: {
        const int32_t expected = model_.Read(selector_key, position, &expected_value, &expected_key);
        ASSERT_EQ(ErrorOf([&] { value = NumberOf(fast_.ReadValue(selector)); }), expected) << where;
        if (!expected) {
          ASSERT_EQ(value, expected_value) << where;
        }
        ASSERT_EQ(ErrorOf([&] { found_key = fast_.ReadKey(selector); }), expected) << where;
        if (!expected) {
          ASSERT_EQ(found_key, expected_key) << where;
        }
        break;
      }
      case 7:
        ASSERT_EQ(fast_.Index(key), model_.Index(key)) << where << " Index " << Narrow(key);
        break;
      case 8:
        model_.raise_errors = fast_.raise_errors = Pick(0, 1) ? -1 : 0;
        break;
      default:
        if (n == 0) {
          model_.sorted = static_cast<int16_t>(Pick(0, 1) ? -1 : 0);
          fast_.SetSorted(model_.sorted);
        } else {
          ASSERT_EQ(ErrorOf([&] { fast_.SetSorted(0); }), 511) << where;
        }
        break;
    }
    ASSERT_EQ(fast_.err, model_.err) << where;
    ASSERT_EQ(fast_.Count(), static_cast<int32_t>(model_.entries.size())) << where;
  }

  void CompareContents() {
    const int16_t mode = fast_.raise_errors;
    fast_.raise_errors = -1;
    for (size_t i = 0; i < model_.entries.size(); ++i) {
      const auto position = static_cast<int32_t>(i + 1);
      ASSERT_EQ(fast_.KeyAt(position), model_.entries[i].key) << "position " << position;
      ASSERT_EQ(NumberOf(fast_.ReadValue(PositionSelector(position))), model_.entries[i].value) << position;
      ASSERT_EQ(fast_.Index(model_.entries[i].key), position) << Narrow(model_.entries[i].key);
    }
    fast_.raise_errors = mode;
    fast_.err = model_.err;
  }

 private:
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  // Short keys over letters that collide ignoring case and accents' cases.
  std::u16string RandomKey() {
    static constexpr char16_t kLetters[] = u"aAbB\u00e9\u00c9es\u00dfS";
    std::u16string key;
    const int length = Pick(0, 3);
    for (int i = 0; i < length; ++i) key += kLetters[Pick(0, 10)];
    return key;
  }

  std::mt19937 random_;
  ReferenceModel model_;
  KeyedCollection<CountedValue> fast_;
  int32_t next_value_ = 0;
};

TEST(KeyedCollectionModelTest, RandomOperationsMatchTheReferenceModel) {
  for (const uint32_t seed : {1u, 2u, 3u, 4u}) {
    ModelComparison comparison(seed);
    for (int step = 0; step < 4000; ++step) {
      ASSERT_NO_FATAL_FAILURE(comparison.Step(step)) << "seed " << seed;
      if (step % 100 == 99) {
        ASSERT_NO_FATAL_FAILURE(comparison.CompareContents()) << "seed " << seed;
      }
    }
  }
}

}  // namespace
}  // namespace tarn::collection
