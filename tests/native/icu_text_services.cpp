#include "tests/native/icu_text_services.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ucol.h>
#include <unicode/utf16.h>

#include <memory>
#include <stdexcept>

namespace tarn::testing {
namespace {

template <UChar32 (*Map)(UChar32)>
std::u16string MapEachCodePoint(std::u16string_view text) {
  std::u16string out(text);
  const auto* s = reinterpret_cast<const UChar*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  int32_t i = 0;
  while (i < length) {
    const int32_t start = i;
    UChar32 c;
    U16_NEXT(s, i, length, c);
    const UChar32 mapped = Map(c);
    // Keep the length: a mapping that would change it leaves the character alone.
    if (U16_LENGTH(mapped) == i - start) {
      int32_t j = start;
      U16_APPEND_UNSAFE(reinterpret_cast<UChar*>(out.data()), j, mapped);
    }
  }
  return out;
}

struct ConverterDeleter {
  void operator()(UConverter* c) const { ucnv_close(c); }
};

std::unique_ptr<UConverter, ConverterDeleter> OpenAnsi() {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, ConverterDeleter> conv(ucnv_open("windows-1252", &status));
  if (U_FAILURE(status)) throw std::runtime_error("windows-1252 converter unavailable");
  return conv;
}

}  // namespace

std::u16string IcuTextServices::ToUpper(std::u16string_view text) const { return MapEachCodePoint<u_toupper>(text); }

std::u16string IcuTextServices::ToLower(std::u16string_view text) const { return MapEachCodePoint<u_tolower>(text); }

int IcuTextServices::CompareText(std::u16string_view a, std::u16string_view b) const {
  UErrorCode status = U_ZERO_ERROR;
  UCollator* collator = ucol_open("", &status);
  if (U_FAILURE(status)) throw std::runtime_error("collator unavailable");
  ucol_setStrength(collator, UCOL_SECONDARY);
  const UCollationResult r =
      ucol_strcoll(collator, reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
                   reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size()));
  ucol_close(collator);
  return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
}

std::string IcuTextServices::SortKey(std::u16string_view text) const {
  // The same collator settings as CompareText; one collator per thread.
  struct CollatorDeleter {
    void operator()(UCollator* c) const { ucol_close(c); }
  };
  thread_local const std::unique_ptr<UCollator, CollatorDeleter> collator = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UCollator, CollatorDeleter> opened(ucol_open("", &status));
    if (U_FAILURE(status)) throw std::runtime_error("collator unavailable");
    ucol_setStrength(opened.get(), UCOL_SECONDARY);
    return opened;
  }();
  const auto* source = reinterpret_cast<const UChar*>(text.data());
  const auto length = static_cast<int32_t>(text.size());
  std::string key(text.size() * 4 + 32, '\0');
  auto* bytes = reinterpret_cast<uint8_t*>(key.data());
  int32_t n = ucol_getSortKey(collator.get(), source, length, bytes, static_cast<int32_t>(key.size()));
  if (n > static_cast<int32_t>(key.size())) {
    key.assign(static_cast<size_t>(n), '\0');
    n = ucol_getSortKey(collator.get(), source, length, reinterpret_cast<uint8_t*>(key.data()), n);
  }
  // The length includes the terminating zero byte.
  key.resize(static_cast<size_t>(n - 1));
  return key;
}

std::string IcuTextServices::ToAnsi(std::u16string_view text) const {
  auto conv = OpenAnsi();
  UErrorCode status = U_ZERO_ERROR;
  std::string out(text.size() * 2 + 1, '\0');
  const int32_t n =
      ucnv_fromUChars(conv.get(), out.data(), static_cast<int32_t>(out.size()),
                      reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()), &status);
  if (U_FAILURE(status)) throw std::runtime_error("conversion to windows-1252 failed");
  out.resize(static_cast<size_t>(n));
  return out;
}

std::u16string IcuTextServices::FromAnsi(std::string_view bytes) const {
  auto conv = OpenAnsi();
  UErrorCode status = U_ZERO_ERROR;
  std::u16string out(bytes.size() + 1, u'\0');
  const int32_t n = ucnv_toUChars(conv.get(), reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                                  bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status)) throw std::runtime_error("conversion from windows-1252 failed");
  out.resize(static_cast<size_t>(n));
  return out;
}

const TextServices& TestTextServices() {
  static const IcuTextServices services;
  return services;
}

}  // namespace tarn::testing
