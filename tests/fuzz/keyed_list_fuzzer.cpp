// The keyed collection against its reference model
// (tests/native/keyed_collection_reference_model.h), driven by the input:
// each operation, its key (short texts whose letters collide ignoring case),
// position and placement come from the fuzzer's bytes. Results, errors, the
// error mode and, at the end, the whole contents must agree.
#include <cstdint>
#include <optional>
#include <string>

#include "collection/keyed_collection.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/native/counted_value.h"
#include "tests/native/error_of.h"
#include "tests/native/icu_text_services.h"
#include "tests/native/keyed_collection_reference_model.h"

namespace {

using tarn::collection::KeyedCollection;
using tarn::collection::KeySelector;
using tarn::collection::PositionSelector;
using tarn::collection::Selector;
using tarn::fuzzing::FuzzInput;
using tarn::fuzzing::Require;
using tarn::testing::CountedValue;
using tarn::testing::ErrorOf;
using tarn::testing::ReferenceModel;

int32_t NumberOf(const CountedValue& v) {
  if (v.IsEmpty()) return -1;
  for (int32_t n = 0; n < 1000000; ++n) {
    if (v == CountedValue(n)) return n;
  }
  return -2;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  ReferenceModel model;
  KeyedCollection<CountedValue> fast(tarn::testing::TestTextServices());
  int32_t next_value = 0;
  for (int step = 0; step < 400 && !in.Exhausted(); ++step) {
    const int kind = in.Byte() % 10;
    const auto n = static_cast<int32_t>(model.entries.size());
    const std::u16string key = in.Text(3);
    const int32_t position = in.Number();
    const bool by_key = in.Byte() % 2 == 0;
    const std::optional<std::u16string> selector_key = by_key ? std::optional(key) : std::nullopt;
    const KeySelector key_selector(key);
    const PositionSelector position_selector(position);
    const Selector& selector = by_key ? static_cast<const Selector&>(key_selector) : position_selector;
    int32_t expected_value = 0, value = 0;
    switch (kind) {
      case 0:
      case 1:
      case 2:
      case 3: {
        const int32_t v = next_value++;
        const int placement = model.sorted ? 0 : in.Byte() % 5;  // none, before or after a key or position
        const bool after = placement >= 3;
        std::optional<std::u16string> place_key;
        std::optional<int32_t> place_position;
        if (placement == 1 || placement == 3) place_key = in.Text(2);
        if (placement == 2 || placement == 4) place_position = in.Number();
        const KeySelector by_place_key(place_key.value_or(u""));
        const PositionSelector by_place_position(place_position.value_or(0));
        const Selector* place =
            place_key ? static_cast<const Selector*>(&by_place_key) : (place_position ? &by_place_position : nullptr);
        const int32_t expected = model.Add(v, key, place_key, place_position, after, &expected_value);
        const int32_t got = ErrorOf([&] {
          value = NumberOf(fast.Add(CountedValue(v), key, after ? nullptr : place, after ? place : nullptr));
        });
        Require(got == expected, "Add: the model's error");
        Require(got || value == expected_value, "Add: the model's value");
        break;
      }
      case 4:
        Require(ErrorOf([&] { fast.Remove(selector); }) == model.Remove(selector_key, position),
                "Remove: the model's error");
        break;
      case 5: {
        const int32_t v = next_value++;
        Require(
            ErrorOf([&] { fast.ReplaceValue(selector, CountedValue(v)); }) == model.Replace(selector_key, position, v),
            "ReplaceValue: the model's error");
        break;
      }
      case 6: {
        std::u16string expected_key, found_key;
        const int32_t expected = model.Read(selector_key, position, &expected_value, &expected_key);
        Require(ErrorOf([&] { value = NumberOf(fast.ReadValue(selector)); }) == expected,
                "ReadValue: the model's error");
        Require(expected || value == expected_value, "ReadValue: the model's value");
        Require(ErrorOf([&] { found_key = fast.ReadKey(selector); }) == expected, "ReadKey: the model's error");
        Require(expected || found_key == expected_key, "ReadKey: the model's key");
        break;
      }
      case 7:
        Require(fast.Index(key) == model.Index(key), "Index: the model's position");
        break;
      case 8:
        model.raise_errors = fast.raise_errors = in.Byte() % 2 ? -1 : 0;
        break;
      default:
        if (n == 0) {
          model.sorted = static_cast<int16_t>(in.Byte() % 2 ? -1 : 0);
          fast.SetSorted(model.sorted);
        } else {
          Require(ErrorOf([&] { fast.SetSorted(0); }) == 511, "Sorted: error 511 once entries exist");
        }
        break;
    }
    Require(fast.err == model.err, "Err: the model's error number");
    Require(fast.Count() == static_cast<int32_t>(model.entries.size()), "Count: the model's count");
  }
  fast.raise_errors = -1;
  for (size_t i = 0; i < model.entries.size(); ++i) {
    const auto position = static_cast<int32_t>(i + 1);
    Require(fast.KeyAt(position) == model.entries[i].key, "contents: the model's key at each position");
    Require(NumberOf(fast.ReadValue(PositionSelector(position))) == model.entries[i].value,
            "contents: the model's value at each position");
    Require(fast.Index(model.entries[i].key) == position, "contents: each key found at its position");
  }
  return 0;
}
