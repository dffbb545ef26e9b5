#include "forms/control_lookup.h"

#include <string>

#include "frame/checked_math.h"

namespace tarn {

int16_t FindControlIndex(const TextServices& services, FormsRuntime& runtime, std::u16string_view S,
                         const std::optional<FormValue>& index) {
  const std::unique_ptr<FormsObject> form = Require(runtime.Screen()).ReadObject(u"ActiveForm");
  auto control_at = [&form](int16_t position) { return Require(Require(form).ReadObject(u"Controls")).Item(position); };
  const int32_t count = Require(Require(form).ReadObject(u"Controls")).ReadLong(u"Count");
  const int16_t last = ToInteger(CheckedSub(count, 1));
  const std::u16string sought = services.ToLower(S);
  // The position runs in a wider type so that a last position of 32767 ends
  // the loop instead of overflowing it.
  for (int32_t i = 0; i <= last; ++i) {
    const auto position = static_cast<int16_t>(i);
    if (services.ToLower(Require(control_at(position)).ReadString(u"Name")) != sought) continue;
    if (!index) return position;
    if (VariantEquals(*index, Require(control_at(position)).ReadValue(u"Index"))) return position;
  }
  return -1;
}

}  // namespace tarn
