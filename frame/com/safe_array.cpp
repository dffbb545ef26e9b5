#include "frame/com/safe_array.h"

#include <new>

#include "frame/array_replacement.h"
#include "frame/automation_error.h"
#include "frame/com/bstr.h"

namespace tarn::com {
namespace {

// Owns a SAFEARRAY until it is handed over.
class OwnedArray {
 public:
  explicit OwnedArray(SAFEARRAY* array) noexcept : array_(array) {}
  OwnedArray(const OwnedArray&) = delete;
  OwnedArray& operator=(const OwnedArray&) = delete;
  ~OwnedArray() {
    if (array_) SafeArrayDestroy(array_);
  }
  SAFEARRAY* get() const noexcept { return array_; }
  SAFEARRAY* release() noexcept {
    SAFEARRAY* out = array_;
    array_ = nullptr;
    return out;
  }

 private:
  SAFEARRAY* array_;
};

// Holds SafeArrayAccessData for the guard's lifetime.
class ArrayData {
 public:
  explicit ArrayData(SAFEARRAY* array) : array_(array) {
    if (FAILED(SafeArrayAccessData(array_, &data_))) throw std::bad_alloc();
  }
  ArrayData(const ArrayData&) = delete;
  ArrayData& operator=(const ArrayData&) = delete;
  ~ArrayData() { SafeArrayUnaccessData(array_); }
  template <typename T>
  T* as() const noexcept {
    return static_cast<T*>(data_);
  }

 private:
  SAFEARRAY* array_;
  void* data_ = nullptr;
};

CallerArray Describe(SAFEARRAY* array) {
  CallerArray shape;
  if (!array) return shape;
  shape.exists = true;
  constexpr USHORT kNotResizable = FADF_FIXEDSIZE | FADF_STATIC | FADF_AUTO | FADF_EMBEDDED;
  shape.resizable = (array->fFeatures & kNotResizable) == 0 && array->cLocks == 0;
  VARTYPE type = VT_EMPTY;
  if (SUCCEEDED(SafeArrayGetVartype(array, &type)) && type == VT_BSTR) {
    shape.elements = ArrayElements::kStrings;
  } else if (type == VT_VARIANT) {
    shape.elements = ArrayElements::kVariants;
  } else {
    shape.elements = ArrayElements::kOther;
  }
  return shape;
}

}  // namespace

void ReplaceStringArray(SAFEARRAY** array, const std::vector<std::u16string>& pieces) {
  if (!array) RaiseStandardError(kErrInvalidCall);
  const ArrayElements elements = ReplacementElements(Describe(*array));
  if (pieces.size() > 0x7FFFFFFFu) RaiseStandardError(kErrOutOfMemory);

  const VARTYPE type = elements == ArrayElements::kVariants ? VT_VARIANT : VT_BSTR;
  SAFEARRAYBOUND bound{static_cast<ULONG>(pieces.size()), 0};
  OwnedArray fresh(SafeArrayCreate(type, 1, &bound));
  if (!fresh.get()) throw std::bad_alloc();
  {
    // The elements start out null (or Empty); a failure part way leaves an
    // array that SafeArrayDestroy frees completely.
    ArrayData data(fresh.get());
    for (size_t i = 0; i < pieces.size(); ++i) {
      BSTR text = Bstr(pieces[i]).release();
      if (type == VT_BSTR) {
        data.as<BSTR>()[i] = text;
      } else {
        VARIANT& element = data.as<VARIANT>()[i];
        V_VT(&element) = VT_BSTR;
        V_BSTR(&element) = text;
      }
    }
  }

  if (*array) SafeArrayDestroy(*array);
  *array = fresh.release();
}

}  // namespace tarn::com
