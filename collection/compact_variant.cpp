#include "collection/compact_variant.h"

#include <cstddef>
#include <cstring>
#include <new>
#include <utility>

#include "collection/stored_variant.h"

namespace tarn::collection {
namespace {

// Where a VARIANT keeps the data of every type but Decimal: 8 bytes after
// the type and the reserved words, on 32-bit and 64-bit platforms alike.
constexpr size_t kDataOffset = offsetof(VARIANT, llVal);
static_assert(kDataOffset == 8 && sizeof(LONGLONG) == 8);

// Types whose data do not fit the 8 bytes: Decimal fills the whole VARIANT,
// a record takes two pointers.
bool NeedsBox(VARTYPE vt) noexcept { return vt == VT_DECIMAL || vt == VT_RECORD; }

// The String a client argument holds, also by reference or behind a Variant
// reference; null for anything else.
const BSTR* TextOf(const VARIANT& source) noexcept {
  const VARIANT* v = &source;
  if (V_VT(v) == (VT_BYREF | VT_VARIANT)) {
    v = V_VARIANTREF(v);
    if (!v) return nullptr;
  }
  if (V_VT(v) == VT_BSTR) return &V_BSTR(v);
  if (V_VT(v) == (VT_BYREF | VT_BSTR)) return V_BSTRREF(v);
  return nullptr;
}

}  // namespace

CompactVariant::CompactVariant() noexcept { SetEmpty(); }

CompactVariant::CompactVariant(const VARIANT& source) {
  SetEmpty();
  // A short String is copied straight in, without a String made and freed.
  if (const BSTR* text = TextOf(source); text && *text && SysStringByteLen(*text) <= kInlineTextBytes) {
    bytes_[0] = static_cast<unsigned char>(Kind::kInlineText);
    bytes_[1] = static_cast<unsigned char>(SysStringByteLen(*text));
    std::memcpy(bytes_ + 2, *text, bytes_[1]);
    return;
  }
  VARIANT copy;
  VariantInit(&copy);
  const HRESULT hr = VariantCopyInd(&copy, const_cast<VARIANT*>(&source));
  if (FAILED(hr)) RaiseVariantFailure(hr);
  Absorb(copy);
}

CompactVariant::CompactVariant(const CompactVariant& other) {
  SetEmpty();
  if (other.KindOf() == Kind::kInlineText) {
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    return;
  }
  VARIANT copy;
  VariantInit(&copy);
  const HRESULT hr = other.CopyTo(&copy);
  if (FAILED(hr)) RaiseVariantFailure(hr);
  Absorb(copy);
}

CompactVariant::CompactVariant(CompactVariant&& other) noexcept {
  std::memcpy(bytes_, other.bytes_, sizeof bytes_);
  other.SetEmpty();
}

CompactVariant& CompactVariant::operator=(const CompactVariant& other) {
  if (this != &other) *this = CompactVariant(other);
  return *this;
}

CompactVariant& CompactVariant::operator=(CompactVariant&& other) noexcept {
  if (this != &other) {
    Release();
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    other.SetEmpty();
  }
  return *this;
}

CompactVariant::~CompactVariant() { Release(); }

HRESULT CompactVariant::CopyTo(VARIANT* out) const noexcept {
  switch (KindOf()) {
    case Kind::kInlineText: {
      BSTR text = SysAllocStringByteLen(reinterpret_cast<const char*>(bytes_ + 2), bytes_[1]);
      if (!text) return E_OUTOFMEMORY;
      V_VT(out) = VT_BSTR;
      V_BSTR(out) = text;
      return S_OK;
    }
    case Kind::kBoxed:
      return VariantCopy(out, Box());
    case Kind::kDirect:
      break;
  }
  VARIANT view = DirectView();
  return VariantCopy(out, &view);
}

com::Variant CompactVariant::Take() {
  com::Variant out;
  switch (KindOf()) {
    case Kind::kInlineText:
      if (FAILED(CopyTo(out.get()))) throw std::bad_alloc();
      break;
    case Kind::kBoxed: {
      VARIANT* box = Box();
      *out.get() = *box;
      delete box;
      break;
    }
    case Kind::kDirect:
      *out.get() = DirectView();
      break;
  }
  SetEmpty();
  return out;
}

void CompactVariant::Absorb(VARIANT& owned) {
  const VARTYPE vt = V_VT(&owned);
  if (vt == VT_BSTR && V_BSTR(&owned) && SysStringByteLen(V_BSTR(&owned)) <= kInlineTextBytes) {
    bytes_[0] = static_cast<unsigned char>(Kind::kInlineText);
    bytes_[1] = static_cast<unsigned char>(SysStringByteLen(V_BSTR(&owned)));
    std::memcpy(bytes_ + 2, V_BSTR(&owned), bytes_[1]);
    VariantClear(&owned);
  } else if (NeedsBox(vt)) {
    VARIANT* box = new (std::nothrow) VARIANT(owned);
    if (!box) {
      VariantClear(&owned);
      throw std::bad_alloc();
    }
    bytes_[0] = static_cast<unsigned char>(Kind::kBoxed);
    std::memcpy(bytes_ + 8, &box, sizeof box);
  } else {
    bytes_[0] = static_cast<unsigned char>(Kind::kDirect);
    std::memcpy(bytes_ + 2, &vt, sizeof vt);
    std::memcpy(bytes_ + 8, reinterpret_cast<const unsigned char*>(&owned) + kDataOffset, 8);
  }
  VariantInit(&owned);
}

VARIANT CompactVariant::DirectView() const noexcept {
  VARIANT view;
  VariantInit(&view);
  VARTYPE vt;
  std::memcpy(&vt, bytes_ + 2, sizeof vt);
  V_VT(&view) = vt;
  std::memcpy(reinterpret_cast<unsigned char*>(&view) + kDataOffset, bytes_ + 8, 8);
  return view;
}

VARIANT* CompactVariant::Box() const noexcept {
  VARIANT* box;
  std::memcpy(&box, bytes_ + 8, sizeof box);
  return box;
}

void CompactVariant::SetEmpty() noexcept {
  std::memset(bytes_, 0, sizeof bytes_);
  bytes_[0] = static_cast<unsigned char>(Kind::kDirect);
  const VARTYPE vt = VT_EMPTY;
  std::memcpy(bytes_ + 2, &vt, sizeof vt);
}

void CompactVariant::Release() noexcept {
  switch (KindOf()) {
    case Kind::kInlineText:
      break;
    case Kind::kBoxed: {
      VARIANT* box = Box();
      VariantClear(box);
      delete box;
      break;
    }
    case Kind::kDirect: {
      VARIANT view = DirectView();
      VariantClear(&view);
      break;
    }
  }
  SetEmpty();
}

}  // namespace tarn::collection
