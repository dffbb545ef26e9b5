// A stand-in for an Automation value in native tests: Empty, a number, a
// String or an object. Copying it copies a number or String and adds a
// reference to an object, as the Automation copy does; the objects count the
// references taken and released, so tests can prove what is kept alive.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace tarn::testing {

struct CountedObject {
  int references = 0;
  int releases = 0;
};

class CountedValue {
 public:
  CountedValue() = default;
  explicit CountedValue(int32_t number) : content_(number) {}
  explicit CountedValue(std::u16string text) : content_(std::move(text)) {}
  explicit CountedValue(CountedObject* object) : content_(object) { Hold(); }
  CountedValue(const CountedValue& other) : content_(other.content_) { Hold(); }
  CountedValue(CountedValue&& other) noexcept : content_(std::exchange(other.content_, std::monostate{})) {}
  CountedValue& operator=(const CountedValue& other) {
    if (this != &other) {
      CountedValue copy(other);
      *this = std::move(copy);
    }
    return *this;
  }
  CountedValue& operator=(CountedValue&& other) noexcept {
    if (this != &other) {
      Drop();
      content_ = std::exchange(other.content_, std::monostate{});
    }
    return *this;
  }
  ~CountedValue() { Drop(); }

  bool IsEmpty() const { return std::holds_alternative<std::monostate>(content_); }
  CountedObject* Object() const {
    const auto* p = std::get_if<CountedObject*>(&content_);
    return p ? *p : nullptr;
  }
  bool operator==(const CountedValue& other) const { return content_ == other.content_; }

 private:
  void Hold() {
    if (auto* object = Object()) ++object->references;
  }
  void Drop() {
    if (auto* object = Object()) {
      --object->references;
      ++object->releases;
    }
    content_ = std::monostate{};
  }

  std::variant<std::monostate, int32_t, std::u16string, CountedObject*> content_;
};

}  // namespace tarn::testing
