// A forms runtime made of plain objects for the native tests: properties by
// name (matched ignoring case, as late binding does), object properties that
// may be Nothing, collection elements, and a record of every access so tests
// can check what was read and written.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "forms/runtime/forms_runtime.h"

namespace tarn::testing {

struct FakeNode {
  std::map<std::u16string, FormValue> values;                   // lower-case names
  std::map<std::u16string, std::shared_ptr<FakeNode>> objects;  // null for Nothing
  std::vector<std::shared_ptr<FakeNode>> items;
  std::vector<std::u16string> writable;  // lower-case names
  std::vector<std::pair<std::u16string, FormValue>> writes;
  std::map<std::u16string, int> reads;  // lower-case names, objects included

  void Set(std::u16string_view name, FormValue value);
  void SetObject(std::u16string_view name, std::shared_ptr<FakeNode> node);
  int ReadsOf(std::u16string_view name) const;
};

class FakeFormsObject final : public FormsObject {
 public:
  explicit FakeFormsObject(std::shared_ptr<FakeNode> node) : node_(std::move(node)) {}
  std::u16string ReadString(std::u16string_view name) override;
  int32_t ReadLong(std::u16string_view name) override;
  FormValue ReadValue(std::u16string_view name) override;
  std::unique_ptr<FormsObject> ReadObject(std::u16string_view name) override;
  void Write(std::u16string_view name, const FormValue& value) override;
  std::unique_ptr<FormsObject> Item(int16_t position) override;

 private:
  std::shared_ptr<FakeNode> node_;
};

class FakeFormsRuntime final : public FormsRuntime {
 public:
  std::shared_ptr<FakeNode> screen = std::make_shared<FakeNode>();
  std::unique_ptr<FormsObject> Screen() override { return std::make_unique<FakeFormsObject>(screen); }
};

// A form with the given controls as Screen.ActiveForm of `runtime`; returns
// the form's node.
std::shared_ptr<FakeNode> ShowForm(FakeFormsRuntime& runtime, std::vector<std::shared_ptr<FakeNode>> controls);

// A control with a Name and, when `index` is not Empty, an Index.
std::shared_ptr<FakeNode> NamedControl(std::u16string_view name, FormValue index = FormValue());

}  // namespace tarn::testing
