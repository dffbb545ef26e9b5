// One error type for the whole portable core: number, description and source.
// Standard runtime errors carry their small number (5, 6, 9, ...); the library's
// own errors carry their full 32-bit number (0x80040BB9, ...). The COM boundary
// turns either into an HRESULT in one place (see HResultOf).
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace tarn {

// Source used for standard errors, as a VB-family runtime fills in the project name.
inline constexpr std::u16string_view kProjectSource = u"TarnLib";
// Source the string class passes for its own error.
inline constexpr std::u16string_view kModuleSource = u"TarnLib.dll";

// Standard error numbers the library can raise or pass on.
enum StandardError : int32_t {
  kErrInvalidCall = 5,
  kErrOverflow = 6,
  kErrOutOfMemory = 7,
  kErrSubscript = 9,
  kErrArrayLocked = 10,
  kErrTypeMismatch = 13,
  kErrDllLoad = 48,
  kErrInternal = 51,
  kErrTooManyFiles = 67,
  kErrObjectNotSet = 91,
  kErrNoSuchMember = 438,
  kErrNotOptional = 449,
  kErrDllEntryPoint = 453,
  kErrDuplicateKey = 457,
};

class AutomationError : public std::exception {
 public:
  AutomationError(int32_t number, std::u16string description, std::u16string source)
      : number_(number), description_(std::move(description)), source_(std::move(source)) {}

  int32_t number() const noexcept { return number_; }
  const std::u16string& description() const noexcept { return description_; }
  const std::u16string& source() const noexcept { return source_; }
  const char* what() const noexcept override { return "TarnLib automation error"; }

 private:
  int32_t number_;
  std::u16string description_;
  std::u16string source_;
};

// The runtime's text for a standard error number ("Overflow" for 6); a generic
// text for numbers without one.
std::u16string StandardErrorText(int32_t number);

// An error with a standard number, its standard text and the project as source.
AutomationError MakeStandardError(int32_t number);

[[noreturn]] void RaiseStandardError(int32_t number);

// The HRESULT a client receives: standard numbers (1 to 65535) become
// 0x800A0000 + n, so that VB-family clients read Err.Number n; other numbers
// already are HRESULTs and pass unchanged.
int32_t HResultOf(int32_t number) noexcept;

}  // namespace tarn
