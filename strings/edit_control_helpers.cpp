#include "strings/edit_control_helpers.h"

#include <new>
#include <string>

#include "strings/text_rules.h"

namespace tarn {
namespace {

constexpr int16_t kSpace = 32;
constexpr int16_t kEnter = 13;

template <typename Map>
int16_t MapKeyCode(const TextServices& services, int16_t code, Map map) {
  if (code < 0 || code > 255) RaiseStandardError(kErrInvalidCall);
  const std::string key(1, static_cast<char>(static_cast<unsigned char>(code)));
  const std::string mapped = services.ToAnsi(map(services.FromAnsi(key)));
  if (mapped.empty()) RaiseStandardError(kErrInvalidCall);
  return static_cast<int16_t>(static_cast<unsigned char>(mapped[0]));
}

// Runs one step of a member whose error trap resumes with the next step.
template <typename Step>
void SkipIfFailing(Step&& step) {
  try {
    step();
  } catch (const AutomationError&) {
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace

int16_t UpperKeyCode(const TextServices& services, int16_t code) {
  return MapKeyCode(services, code, [&](std::u16string_view s) { return services.ToUpper(s); });
}

int16_t LowerKeyCode(const TextServices& services, int16_t code) {
  return MapKeyCode(services, code, [&](std::u16string_view s) { return services.ToLower(s); });
}

int16_t InsertFirstUCase(const TextServices& services, FormsRuntime& runtime, int16_t SS) {
  const std::unique_ptr<FormsObject> control = Require(runtime.Screen()).ReadObject(u"ActiveControl");
  FormsObject& focused = Require(control);
  if (focused.ReadString(u"Text").empty()) return UpperKeyCode(services, SS);
  // The whole text selected: the key replaces it and starts a new word.
  const std::u16string selected = focused.ReadString(u"SelText");
  if (selected == focused.ReadString(u"Text")) return UpperKeyCode(services, SS);
  if (Right(focused.ReadString(u"Text"), 1) == u" ") {
    return SS == kSpace ? int16_t{0} : UpperKeyCode(services, SS);
  }
  return LowerKeyCode(services, SS);
}

void SelectAllText(FormsRuntime& runtime) {
  std::unique_ptr<FormsObject> control;
  SkipIfFailing(
      [&] { control = Require(Require(runtime.Screen()).ReadObject(u"ActiveForm")).ReadObject(u"ActiveControl"); });
  SkipIfFailing([&] { Require(control).Write(u"SelStart", FormValue::Integer(0)); });
  SkipIfFailing([&] {
    FormsObject& focused = Require(control);
    if (LengthOf(focused.ReadString(u"Text")) > 0) {
      focused.Write(u"SelLength", FormValue::Long(LengthOf(focused.ReadString(u"Text"))));
    }
  });
}

int16_t ConvertRetToTab(KeystrokeQueue& keystrokes, int16_t KeyAscii) {
  if (KeyAscii != kEnter) return KeyAscii;
  keystrokes.QueueTab();
  return 0;
}

}  // namespace tarn
