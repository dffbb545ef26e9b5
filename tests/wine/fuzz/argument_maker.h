// The argument shapes of the bad-input fuzzer: every kind of value a client
// can send (Empty, Null, missing, extreme numbers, NaN and infinities, dates,
// currency, decimals, NULL, huge and odd Strings, objects with and without
// IDispatch, arrays of one and two dimensions, by-reference forms including a
// NULL pointer), drawn from one seeded random stream, and the check that a
// VARIANT the library handed back is well formed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tests/wine/fuzz/fake_objects.h"

namespace tarn::fuzz {

// Owns everything made for one call: by-reference targets (cleared
// afterwards, whatever the library left in them) and the arguments.
class CallStorage {
 public:
  CallStorage() = default;
  CallStorage(const CallStorage&) = delete;
  CallStorage& operator=(const CallStorage&) = delete;
  ~CallStorage();
  // A new by-reference target, Empty; its address never changes.
  VARIANT& Target();
  DECIMAL& DecimalTarget();
  std::deque<VARIANT>& targets() { return targets_; }

 private:
  std::deque<VARIANT> targets_;
  std::deque<DECIMAL> decimals_;
};

struct MakerLimits {
  AnswerLimits answers;       // also what fake objects may answer
  bool own_objects = true;    // library objects may be passed
  bool fake_dispatch = true;  // the fake IDispatch object may be passed
  bool few_shapes = false;    // names only: Strings, integers, Empty, Null, missing, arrays
};

class ArgumentMaker {
 public:
  // `own_object` answers one of the library's live objects (a new reference)
  // or nullptr.
  ArgumentMaker(std::mt19937_64& random, std::function<IDispatch*()> own_object);

  MakerLimits limits;

  uint64_t Next() { return random_(); }
  unsigned Below(unsigned n) { return n ? static_cast<unsigned>(random_() % n) : 0; }
  bool Chance(unsigned one_in) { return Below(one_in) == 0; }

  // Fills `v` with a random shape (any type, maybe by reference).
  void Any(VARIANT& v, CallStorage& storage, int depth = 0);
  // Fills `v` with a value for a parameter that the v-table takes as
  // `type` (see Parameter::type); by-reference targets live in `storage`.
  // `null_pointer` is set when a NULL pointer was passed.
  void ForSlot(VARTYPE type, VARIANT& v, CallStorage& storage, bool& null_pointer);

  BSTR String();
  LONG Integer();
  void Object(VARIANT& v, VARTYPE type);  // VT_DISPATCH or VT_UNKNOWN
  SAFEARRAY* Array(VARTYPE element, int depth);

 private:
  void Scalar(VARIANT& v, CallStorage& storage, int depth);
  BSTR NameString();

  std::mt19937_64& random_;
  std::function<IDispatch*()> own_object_;
};

// Why `v` is not a well-formed VARIANT a client could clear, or empty when
// it is. `by_reference_allowed` admits VT_BYREF forms (arguments only).
std::string InvalidVariant(const VARIANT& v, bool by_reference_allowed = false, int depth = 0);
// Why `array` is not a well-formed SAFEARRAY, or empty.
std::string InvalidArray(SAFEARRAY* array, int depth = 0);
// True when clearing `v` would free nothing (what a failed call leaves).
bool HoldsNothing(const VARIANT& v);

// A short description of a VARIANT's type for the call log.
std::string TypeName(VARTYPE type);

}  // namespace tarn::fuzz
