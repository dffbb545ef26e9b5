#include "collection/keyed_collection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/native/counted_value.h"
#include "tests/native/error_of.h"
#include "tests/native/icu_text_services.h"
#include "tests/native/test_text.h"

namespace tarn::collection {
namespace {

using testing::CountedObject;
using testing::CountedValue;
using testing::ErrorOf;
using testing::Narrow;
using testing::TestTextServices;
using Collection = KeyedCollection<CountedValue>;

CountedValue Text(std::u16string s) { return CountedValue(std::move(s)); }

// A collection holding the given keys, each with its key as value.
void AddAll(Collection& c, std::initializer_list<std::u16string_view> keys) {
  for (const auto key : keys) c.Add(Text(std::u16string(key)), key, nullptr, nullptr);
}

std::u16string KeysInOrder(Collection& c) {
  std::u16string out;
  for (int32_t i = 1; i <= c.Count(); ++i) out += c.KeyAt(i) + u",";
  return out;
}

TEST(KeyedCollectionTest, NewCollectionState) {
  Collection c(TestTextServices());
  EXPECT_EQ(c.Count(), 0);
  EXPECT_EQ(c.raise_errors, -1);
  EXPECT_EQ(c.err, 0);
  EXPECT_EQ(c.err_description, u"");
  EXPECT_EQ(c.Sorted(), 0);
}

TEST(KeyedCollectionTest, SortedOrderIgnoresCaseAndBeforeAfter) {
  struct Row {
    std::vector<std::u16string_view> keys;
    std::u16string order;
  };
  const Row rows[] = {
      {{u"c", u"a", u"b"}, u"a,b,c,"},
      {{u"beta", u"Gamma", u"alpha"}, u"alpha,beta,Gamma,"},
      {{u"a", u"b", u"c"}, u"a,b,c,"},
      {{u"z", u"y", u"X", u"w"}, u"w,X,y,z,"},
  };
  for (const auto& row : rows) {
    Collection c(TestTextServices());
    c.SetSorted(-1);
    const PositionSelector first(1);
    for (const auto key : row.keys) c.Add(Text(std::u16string(key)), key, &first, nullptr);
    EXPECT_EQ(KeysInOrder(c), row.order) << Narrow(row.order);
  }
  Collection c(TestTextServices());
  c.SetSorted(1);  // any nonzero value sets the flag
  AddAll(c, {u"c", u"a", u"b"});
  EXPECT_EQ(c.Index(u"b"), 2);
  EXPECT_EQ(c.Index(u"B"), 2);
}

TEST(KeyedCollectionTest, DuplicateKeysIgnoringCaseFailWith457InBothOrders) {
  for (const int16_t sorted : {int16_t{0}, int16_t{-1}}) {
    Collection c(TestTextServices());
    c.SetSorted(sorted);
    AddAll(c, {u"Alpha", u"beta"});
    EXPECT_EQ(ErrorOf([&] { c.Add(Text(u"x"), u"ALPHA", nullptr, nullptr); }), 457) << sorted;
    EXPECT_EQ(c.Count(), 2) << sorted;
    EXPECT_EQ(c.err, 457) << sorted;
  }
}

TEST(KeyedCollectionTest, UnsortedBeforeAndAfter) {
  struct Row {
    const char* name;
    std::optional<int32_t> before_position;
    std::optional<std::u16string_view> after_key;
    std::u16string order;
  };
  const Row rows[] = {
      {"before 1", 1, {}, u"n,a,b,c,"},
      {"before 3", 3, {}, u"a,b,n,c,"},
      {"after c (last)", {}, u"C", u"a,b,c,n,"},
      {"after a", {}, u"a", u"a,n,b,c,"},
  };
  for (const auto& row : rows) {
    Collection c(TestTextServices());
    AddAll(c, {u"a", u"b", u"c"});
    std::optional<PositionSelector> before;
    std::optional<KeySelector> after;
    if (row.before_position) before.emplace(*row.before_position);
    if (row.after_key) after.emplace(*row.after_key);
    c.Add(Text(u"new"), u"n", before ? &*before : nullptr, after ? &*after : nullptr);
    EXPECT_EQ(KeysInOrder(c), row.order) << row.name;
  }
}

TEST(KeyedCollectionTest, AddErrorsOfBeforeAndAfterAddNothing) {
  struct Row {
    const char* name;
    int32_t expected;
    bool both;
    std::optional<int32_t> position;
    std::optional<std::u16string_view> key;
  };
  const Row rows[] = {
      {"both given", 5, true, 1, {}},
      {"before key missing", 5, false, {}, u"zz"},
      {"before position 0", 9, false, 0, {}},
      {"before position past the end", 9, false, 4, {}},
  };
  for (const auto& row : rows) {
    Collection c(TestTextServices());
    c.raise_errors = 0;
    AddAll(c, {u"a", u"b", u"c"});
    std::optional<PositionSelector> by_position;
    std::optional<KeySelector> by_key;
    const Selector* selector = nullptr;
    if (row.position) selector = &by_position.emplace(*row.position);
    if (row.key) selector = &by_key.emplace(*row.key);
    const CountedValue result = c.Add(Text(u"new"), u"n", selector, row.both ? selector : nullptr);
    EXPECT_TRUE(result.IsEmpty()) << row.name;
    EXPECT_EQ(c.err, row.expected) << row.name;
    EXPECT_EQ(c.Count(), 3) << row.name;
  }
}

TEST(KeyedCollectionTest, ReplaceValueKeepsKeyAndPosition) {
  struct Row {
    const char* name;
    bool by_key;
    int32_t position;
    std::u16string_view key;
  };
  const Row rows[] = {
      {"middle by position", false, 2, u""}, {"middle by key in capitals", true, 2, u"B"},
      {"last by key", true, 3, u"c"},        {"last by position", false, 3, u""},
      {"first by position", false, 1, u""},
  };
  for (const auto& row : rows) {
    for (const int16_t sorted : {int16_t{0}, int16_t{-1}}) {
      Collection c(TestTextServices());
      c.SetSorted(sorted);
      AddAll(c, {u"a", u"b", u"c"});
      const KeySelector key(row.key);
      const PositionSelector position(row.position);
      const Selector& selector = row.by_key ? static_cast<const Selector&>(key) : position;
      c.ReplaceValue(selector, CountedValue(42));
      EXPECT_EQ(KeysInOrder(c), u"a,b,c,") << row.name;
      EXPECT_EQ(c.ReadValue(PositionSelector(row.position)), CountedValue(42)) << row.name;
      EXPECT_EQ(c.err, 0) << row.name;
    }
  }
}

// Every reporting member, in both error modes: the error recorded, raised only
// when RaiseErrors is set, and the empty result after it.
TEST(KeyedCollectionTest, ReportedErrorsInBothModes) {
  struct Row {
    const char* name;
    int32_t expected;
    void (*call)(Collection&);
  };
  const Row rows[] = {
      {"Remove missing key", 5, [](Collection& c) { c.Remove(KeySelector(u"zz")); }},
      {"Remove position 0", 9, [](Collection& c) { c.Remove(PositionSelector(0)); }},
      {"Key(0)", 9, [](Collection& c) { EXPECT_EQ(c.KeyAt(0), u""); }},
      {"Key(Count + 1)", 9, [](Collection& c) { EXPECT_EQ(c.KeyAt(3), u""); }},
      {"Value of missing key", 5, [](Collection& c) { EXPECT_TRUE(c.ReadValue(KeySelector(u"zz")).IsEmpty()); }},
      {"Value of position 3", 9, [](Collection& c) { EXPECT_TRUE(c.ReadValue(PositionSelector(3)).IsEmpty()); }},
      {"item Key of missing key", 5, [](Collection& c) { EXPECT_EQ(c.ReadKey(KeySelector(u"zz")), u""); }},
      {"Item let missing key", 5, [](Collection& c) { c.ReplaceValue(KeySelector(u"zz"), CountedValue(1)); }},
      {"Item let position -1", 9, [](Collection& c) { c.ReplaceValue(PositionSelector(-1), CountedValue(1)); }},
      {"Add duplicate", 457, [](Collection& c) { EXPECT_TRUE(c.Add(Text(u"v"), u"A", nullptr, nullptr).IsEmpty()); }},
  };
  for (const auto& row : rows) {
    for (const int16_t raise : {int16_t{-1}, int16_t{0}}) {
      Collection c(TestTextServices());
      AddAll(c, {u"a", u"b"});
      c.raise_errors = raise;
      std::u16string raised_text;
      const int32_t raised = ErrorOf([&] { row.call(c); }, &raised_text);
      EXPECT_EQ(raised, raise ? row.expected : 0) << row.name << " raise " << raise;
      EXPECT_EQ(c.err, row.expected) << row.name;
      EXPECT_EQ(c.err_description, StandardErrorText(row.expected)) << row.name;
      if (raise) {
        EXPECT_EQ(raised_text, c.err_description) << row.name;
      }
      EXPECT_EQ(c.Count(), 2) << row.name;
      // The next successful reporting member clears both fields.
      EXPECT_EQ(c.KeyAt(1), u"a") << row.name;
      EXPECT_EQ(c.err, 0) << row.name;
      EXPECT_EQ(c.err_description, u"") << row.name;
    }
  }
}

TEST(KeyedCollectionTest, IndexAndExistKeyNeverTouchErr) {
  Collection c(TestTextServices());
  AddAll(c, {u"a", u"Bee"});
  c.raise_errors = 0;
  c.Remove(KeySelector(u"missing"));
  ASSERT_EQ(c.err, 5);
  EXPECT_EQ(c.Index(u"bEE"), 2);
  EXPECT_EQ(c.Index(u"missing"), 0);
  EXPECT_TRUE(c.ExistKey(u"A"));
  EXPECT_FALSE(c.ExistKey(u"b"));
  EXPECT_EQ(c.err, 5);
  EXPECT_EQ(c.err_description, StandardErrorText(5));
}

// A selector whose conversion to a position fails, as a client object's may.
class FailingSelector final : public Selector {
 public:
  explicit FailingSelector(int32_t number) : number_(number) {}
  bool IsKey() const override { return false; }
  std::u16string_view Key() const override { return {}; }
  int32_t Position() const override { throw AutomationError(number_, u"conversion failed", u"client"); }

 private:
  int32_t number_;
};

TEST(KeyedCollectionTest, ConversionErrorsAndErrOverflow) {
  Collection c(TestTextServices());
  AddAll(c, {u"a"});
  c.raise_errors = 0;
  c.ReadValue(FailingSelector(13));
  EXPECT_EQ(c.err, 13);
  EXPECT_EQ(c.err_description, u"conversion failed");
  // A number outside 16 bits cannot be stored in Err: Overflow leaves the
  // member whatever RaiseErrors says, and Err keeps its previous value.
  EXPECT_EQ(ErrorOf([&] { c.ReadValue(FailingSelector(static_cast<int32_t>(0x80040005u))); }), 6);
  EXPECT_EQ(c.err, 13);
  EXPECT_EQ(c.err_description, u"conversion failed");
  EXPECT_EQ(ErrorOf([&] { c.ReadValue(FailingSelector(-32768)); }), 0);
  EXPECT_EQ(c.err, -32768);
}

TEST(KeyedCollectionTest, SortedSwitchOnlyWhileEmpty) {
  Collection c(TestTextServices());
  c.SetSorted(-1);
  AddAll(c, {u"b"});
  c.raise_errors = 0;
  std::u16string text;
  EXPECT_EQ(ErrorOf([&] { c.SetSorted(0); }, &text), 511);
  EXPECT_EQ(text, u"Sorted property is read-only if the collection is not empty");
  EXPECT_EQ(c.Sorted(), -1);
  EXPECT_EQ(c.err, 0);
  c.Remove(KeySelector(u"B"));
  EXPECT_EQ(ErrorOf([&] { c.SetSorted(0); }), 0);
  EXPECT_EQ(c.Sorted(), 0);
}

TEST(KeyedCollectionTest, DigitsAsStringSelectByKey) {
  Collection c(TestTextServices());
  c.Add(CountedValue(10), u"x", nullptr, nullptr);
  c.Add(CountedValue(20), u"1", nullptr, nullptr);
  c.Add(CountedValue(30), u"2", nullptr, nullptr);
  EXPECT_EQ(c.ReadValue(KeySelector(u"2")), CountedValue(30));
  EXPECT_EQ(c.ReadValue(PositionSelector(2)), CountedValue(20));
  EXPECT_EQ(c.ReadKey(PositionSelector(1)), u"x");
}

TEST(KeyedCollectionTest, KeysKeepTheirCase) {
  Collection c(TestTextServices());
  AddAll(c, {u"MixedCase"});
  EXPECT_EQ(c.ReadKey(KeySelector(u"MIXEDCASE")), u"MixedCase");
  EXPECT_EQ(c.ReadValue(KeySelector(u"mixedcase")), Text(u"MixedCase"));
}

TEST(KeyedCollectionTest, EmptyStringIsAKey) {
  Collection c(TestTextServices());
  c.Add(CountedValue(1), u"", nullptr, nullptr);
  EXPECT_EQ(c.Index(u""), 1);
  EXPECT_EQ(ErrorOf([&] { c.Add(CountedValue(2), u"", nullptr, nullptr); }), 457);
}

TEST(KeyedCollectionTest, TerminatedState) {
  Collection c(TestTextServices());
  c.SetSorted(0);
  AddAll(c, {u"a"});
  c.Terminate();
  EXPECT_EQ(ErrorOf([&] { c.Terminate(); }), 91);
  EXPECT_EQ(ErrorOf([&] { c.Count(); }), 91);
  EXPECT_EQ(ErrorOf([&] { c.SetSorted(-1); }), 91);
  EXPECT_EQ(c.Sorted(), 0);
  EXPECT_EQ(c.Index(u"a"), 0);
  EXPECT_FALSE(c.ExistKey(u"a"));
  c.raise_errors = 0;
  EXPECT_TRUE(c.Add(CountedValue(1), u"b", nullptr, nullptr).IsEmpty());
  EXPECT_EQ(c.err, 91);
  c.err = 0;
  c.ReportItemRead();
  EXPECT_EQ(c.err, 91);
  c.raise_errors = -1;
  EXPECT_EQ(ErrorOf([&] { c.Remove(PositionSelector(1)); }), 91);
  EXPECT_EQ(ErrorOf([&] { c.KeyAt(1); }), 91);
}

TEST(KeyedCollectionTest, ObjectsAreHeldAsReferencesAndReleased) {
  CountedObject a, b;
  {
    Collection c(TestTextServices());
    EXPECT_EQ(c.Add(CountedValue(&a), u"a", nullptr, nullptr).Object(), &a);
    EXPECT_EQ(a.references, 1);  // the stored one; the result copy is gone
    EXPECT_EQ(c.ReadValue(KeySelector(u"a")).Object(), &a);
    c.ReplaceValue(KeySelector(u"a"), CountedValue(&b));
    EXPECT_EQ(a.references, 0);
    EXPECT_EQ(b.references, 1);
    c.Add(CountedValue(&a), u"again", nullptr, nullptr);
    c.Remove(KeySelector(u"AGAIN"));
    EXPECT_EQ(a.references, 0);
  }
  EXPECT_EQ(b.references, 0);
  // Terminate releases the values at once.
  Collection c(TestTextServices());
  c.Add(CountedValue(&a), u"a", nullptr, nullptr);
  const int before = a.releases;
  c.Terminate();
  EXPECT_EQ(a.references, 0);
  EXPECT_EQ(a.releases, before + 1);
}

}  // namespace
}  // namespace tarn::collection
