// A selector chooses an entry of a keyed list: a String selects by key, any
// other value by 1-based position, converted to a Long only when it is used
// (the conversion is the platform's, with its errors).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarn::collection {

class Selector {
 public:
  virtual bool IsKey() const = 0;
  // The key; only when IsKey().
  virtual std::u16string_view Key() const = 0;
  // The position; only when !IsKey(). Raises the conversion's error.
  virtual int32_t Position() const = 0;

 protected:
  ~Selector() = default;
};

class KeySelector final : public Selector {
 public:
  explicit KeySelector(std::u16string_view key) : key_(key) {}
  bool IsKey() const override { return true; }
  std::u16string_view Key() const override { return key_; }
  int32_t Position() const override { return 0; }

 private:
  std::u16string_view key_;
};

class PositionSelector final : public Selector {
 public:
  explicit PositionSelector(int32_t position) : position_(position) {}
  bool IsKey() const override { return false; }
  std::u16string_view Key() const override { return {}; }
  int32_t Position() const override { return position_; }

 private:
  int32_t position_;
};

}  // namespace tarn::collection
