#include "tests/native/fake_forms.h"

#include <algorithm>

#include "tests/native/icu_text_services.h"

namespace tarn::testing {
namespace {

std::u16string Key(std::u16string_view name) { return TestTextServices().ToLower(name); }

}  // namespace

void FakeNode::Set(std::u16string_view name, FormValue value) { values[Key(name)] = std::move(value); }

void FakeNode::SetObject(std::u16string_view name, std::shared_ptr<FakeNode> node) {
  objects[Key(name)] = std::move(node);
}

int FakeNode::ReadsOf(std::u16string_view name) const {
  const auto it = reads.find(Key(name));
  return it == reads.end() ? 0 : it->second;
}

FormValue FakeFormsObject::ReadValue(std::u16string_view name) {
  const std::u16string key = Key(name);
  ++node_->reads[key];
  const auto it = node_->values.find(key);
  if (it == node_->values.end()) RaiseStandardError(kErrNoSuchMember);
  return it->second;
}

std::u16string FakeFormsObject::ReadString(std::u16string_view name) {
  const FormValue value = ReadValue(name);
  switch (value.kind()) {
    case FormValue::Kind::kString:
      return value.text();
    case FormValue::Kind::kEmpty:
      return {};
    case FormValue::Kind::kNull:
      RaiseStandardError(kErrInvalidUseOfNull);
    default:
      RaiseStandardError(kErrTypeMismatch);
  }
}

int32_t FakeFormsObject::ReadLong(std::u16string_view name) {
  const FormValue value = ReadValue(name);
  if (!value.IsNumeric()) RaiseStandardError(kErrTypeMismatch);
  return static_cast<int32_t>(value.number());
}

std::unique_ptr<FormsObject> FakeFormsObject::ReadObject(std::u16string_view name) {
  const std::u16string key = Key(name);
  ++node_->reads[key];
  const auto it = node_->objects.find(key);
  if (it == node_->objects.end()) RaiseStandardError(kErrNoSuchMember);
  if (!it->second) return nullptr;
  return std::make_unique<FakeFormsObject>(it->second);
}

void FakeFormsObject::Write(std::u16string_view name, const FormValue& value) {
  const std::u16string key = Key(name);
  if (std::find(node_->writable.begin(), node_->writable.end(), key) == node_->writable.end()) {
    RaiseStandardError(kErrNoSuchMember);
  }
  node_->writes.emplace_back(key, value);
}

std::unique_ptr<FormsObject> FakeFormsObject::Item(int16_t position) {
  if (position < 0 || static_cast<size_t>(position) >= node_->items.size()) RaiseStandardError(kErrSubscript);
  const auto& item = node_->items[static_cast<size_t>(position)];
  if (!item) return nullptr;
  return std::make_unique<FakeFormsObject>(item);
}

std::shared_ptr<FakeNode> ShowForm(FakeFormsRuntime& runtime, std::vector<std::shared_ptr<FakeNode>> controls) {
  auto form = std::make_shared<FakeNode>();
  auto collection = std::make_shared<FakeNode>();
  collection->Set(u"Count", FormValue::Long(static_cast<int32_t>(controls.size())));
  collection->items = std::move(controls);
  form->SetObject(u"Controls", collection);
  runtime.screen->SetObject(u"ActiveForm", form);
  return form;
}

std::shared_ptr<FakeNode> NamedControl(std::u16string_view name, FormValue index) {
  auto control = std::make_shared<FakeNode>();
  control->Set(u"Name", FormValue::String(std::u16string(name)));
  if (index.kind() != FormValue::Kind::kEmpty) control->Set(u"Index", std::move(index));
  return control;
}

}  // namespace tarn::testing
