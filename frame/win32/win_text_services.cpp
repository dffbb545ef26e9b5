#include "frame/win32/win_text_services.h"

#include <windows.h>

#include <new>
#include <string>

#include "frame/automation_error.h"

namespace tarn::com {
namespace {

int CheckedLength(size_t n) {
  if (n > 0x7FFFFFFFu) RaiseStandardError(kErrOutOfMemory);
  return static_cast<int>(n);
}

std::u16string MapCase(std::u16string_view text, DWORD how) {
  std::u16string out(text.size(), u'\0');
  if (text.empty()) return out;
  const int n = CheckedLength(text.size());
  // The case tables map one code unit to one, so the result keeps the length.
  if (LCMapStringW(LOCALE_USER_DEFAULT, how, reinterpret_cast<LPCWSTR>(text.data()), n,
                   reinterpret_cast<LPWSTR>(out.data()), n) != n) {
    RaiseStandardError(kErrInvalidCall);
  }
  return out;
}

class WindowsTextServices final : public TextServices {
 public:
  std::u16string ToUpper(std::u16string_view text) const override { return MapCase(text, LCMAP_UPPERCASE); }
  std::u16string ToLower(std::u16string_view text) const override { return MapCase(text, LCMAP_LOWERCASE); }

  int CompareText(std::u16string_view a, std::u16string_view b) const override {
    const int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, reinterpret_cast<LPCWSTR>(a.data()),
                                 CheckedLength(a.size()), reinterpret_cast<LPCWSTR>(b.data()), CheckedLength(b.size()));
    if (r == 0) RaiseStandardError(kErrInvalidCall);
    return r - CSTR_EQUAL;
  }

  std::string SortKey(std::u16string_view text) const override {
    // An empty view has no characters to pass; the terminated empty string
    // gives the sort key of the empty text.
    const auto* source = text.empty() ? L"" : reinterpret_cast<LPCWSTR>(text.data());
    const int length = text.empty() ? -1 : CheckedLength(text.size());
    const DWORD how = LCMAP_SORTKEY | NORM_IGNORECASE;
    std::string key(CheckedLength(text.size() * 4 + 32), '\0');
    int bytes = LCMapStringW(LOCALE_USER_DEFAULT, how, source, length, reinterpret_cast<LPWSTR>(key.data()),
                             static_cast<int>(key.size()));
    if (bytes == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
      bytes = LCMapStringW(LOCALE_USER_DEFAULT, how, source, length, nullptr, 0);
      key.assign(static_cast<size_t>(bytes), '\0');
      bytes = LCMapStringW(LOCALE_USER_DEFAULT, how, source, length, reinterpret_cast<LPWSTR>(key.data()), bytes);
    }
    if (bytes <= 0) RaiseStandardError(kErrInvalidCall);
    // The count includes the key's terminating zero byte.
    key.resize(static_cast<size_t>(bytes - 1));
    return key;
  }

  std::string ToAnsi(std::u16string_view text) const override {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<LPCWSTR>(text.data());
    const int n = CheckedLength(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, n, out.data(), bytes, nullptr, nullptr);
    return out;
  }

  std::u16string FromAnsi(std::string_view bytes) const override {
    if (bytes.empty()) return {};
    const int n = CheckedLength(bytes.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, nullptr, 0);
    std::u16string out(static_cast<size_t>(units), u'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, reinterpret_cast<LPWSTR>(out.data()), units);
    return out;
  }
};

}  // namespace

const TextServices& SystemTextServices() noexcept {
  static const WindowsTextServices services;
  return services;
}

}  // namespace tarn::com
