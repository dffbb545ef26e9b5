// What the library needs of the forms runtime that hosts the client's forms:
// the screen object and late-bound access to forms, controls and the controls
// collection by member name, plus the keystroke queue. The runtime is reached
// afresh on every call and nothing is kept between calls. Two providers exist
// in the DLL (one built from the window system, one that reads a screen object
// the host publishes); native tests use fakes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "frame/automation_error.h"

namespace tarn {

// Standard errors of late-bound access that the runtime's objects raise.
inline constexpr int32_t kErrInvalidUseOfNull = 94;
inline constexpr int32_t kErrInvalidPropertyValue = 380;

// A property value as late-bound reads deliver it, reduced to what the
// library compares: numbers of every numeric type compare by value.
class FormValue {
 public:
  enum class Kind { kEmpty, kNull, kBoolean, kInteger, kLong, kDouble, kString, kOther };

  FormValue() = default;
  static FormValue Null() { return FormValue(Kind::kNull, 0); }
  static FormValue Boolean(bool value) { return FormValue(Kind::kBoolean, value ? -1 : 0); }
  static FormValue Integer(int16_t value) { return FormValue(Kind::kInteger, value); }
  static FormValue Long(int32_t value) { return FormValue(Kind::kLong, value); }
  static FormValue Double(double value) { return FormValue(Kind::kDouble, value); }
  static FormValue String(std::u16string text) {
    FormValue v(Kind::kString, 0);
    v.text_ = std::move(text);
    return v;
  }
  // A value of a type that has no place in a comparison (object, array, error).
  static FormValue Other() { return FormValue(Kind::kOther, 0); }

  Kind kind() const noexcept { return kind_; }
  bool IsNumeric() const noexcept {
    return kind_ == Kind::kBoolean || kind_ == Kind::kInteger || kind_ == Kind::kLong || kind_ == Kind::kDouble;
  }
  double number() const noexcept { return number_; }
  const std::u16string& text() const noexcept { return text_; }

 private:
  FormValue(Kind kind, double number) : kind_(kind), number_(number) {}
  Kind kind_ = Kind::kEmpty;
  double number_ = 0;
  std::u16string text_;
};

// The runtime's "=" on two Variants, as a condition: numbers compare by value,
// Empty stands for 0 beside a number and for "" beside a String, two Empties
// are equal, a number never equals a String, texts compare exactly, and Null
// equals nothing. Other values raise the type-mismatch error 13.
bool VariantEquals(const FormValue& a, const FormValue& b);

// A form, control or controls collection of the client's forms runtime. Every
// member is reached by name at call time; a failure raises the error the
// runtime gives for it (438 for a member the object does not have).
class FormsObject {
 public:
  virtual ~FormsObject() = default;
  // Property get, the value converted to a String.
  virtual std::u16string ReadString(std::u16string_view name) = 0;
  // Property get, the value converted to a Long.
  virtual int32_t ReadLong(std::u16string_view name) = 0;
  // Property get, the value as it is.
  virtual FormValue ReadValue(std::u16string_view name) = 0;
  // Property get of an object; null for Nothing.
  virtual std::unique_ptr<FormsObject> ReadObject(std::u16string_view name) = 0;
  // Property let.
  virtual void Write(std::u16string_view name, const FormValue& value) = 0;
  // The default member with one Integer argument: a collection's element at a
  // 0-based position; null for Nothing.
  virtual std::unique_ptr<FormsObject> Item(int16_t position) = 0;
};

// An object reference that must not be Nothing: raises error 91 when it is.
FormsObject& Require(const std::unique_ptr<FormsObject>& object);

class FormsRuntime {
 public:
  virtual ~FormsRuntime() = default;
  // The runtime's global screen object (ActiveControl, ActiveForm).
  virtual std::unique_ptr<FormsObject> Screen() = 0;
};

// Queues keystrokes for the window that has the keyboard focus.
class KeystrokeQueue {
 public:
  virtual ~KeystrokeQueue() = default;
  // One press and release of the Tab key, queued without waiting for it to be
  // processed; raises when it cannot be queued.
  virtual void QueueTab() = 0;
};

}  // namespace tarn
