#include "frame/com/safe_array.h"

#include <new>

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

void CheckResizable(const SAFEARRAY* array) {
  constexpr USHORT kNotResizable = FADF_FIXEDSIZE | FADF_STATIC | FADF_AUTO | FADF_EMBEDDED;
  if ((array->fFeatures & kNotResizable) != 0 || array->cLocks != 0) RaiseStandardError(kErrArrayLocked);
  VARTYPE type = VT_EMPTY;
  if (FAILED(SafeArrayGetVartype(const_cast<SAFEARRAY*>(array), &type)) || type != VT_BSTR) {
    RaiseStandardError(kErrTypeMismatch);
  }
}

}  // namespace

void ReplaceStringArray(SAFEARRAY** array, const std::vector<std::u16string>& pieces) {
  if (!array) RaiseStandardError(kErrInvalidCall);
  if (*array) CheckResizable(*array);
  if (pieces.size() > 0x7FFFFFFFu) RaiseStandardError(kErrOutOfMemory);

  SAFEARRAYBOUND bound{static_cast<ULONG>(pieces.size()), 0};
  OwnedArray fresh(SafeArrayCreate(VT_BSTR, 1, &bound));
  if (!fresh.get()) throw std::bad_alloc();
  BSTR* elements = nullptr;
  if (FAILED(SafeArrayAccessData(fresh.get(), reinterpret_cast<void**>(&elements)))) throw std::bad_alloc();
  try {
    for (size_t i = 0; i < pieces.size(); ++i) elements[i] = Bstr(pieces[i]).release();
  } catch (...) {
    SafeArrayUnaccessData(fresh.get());
    throw;
  }
  SafeArrayUnaccessData(fresh.get());

  if (*array) SafeArrayDestroy(*array);
  *array = fresh.release();
}

}  // namespace tarn::com
