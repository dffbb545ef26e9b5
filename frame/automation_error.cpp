#include "frame/automation_error.h"

#include <array>
#include <utility>

namespace tarn {
namespace {

struct NumberedText {
  int32_t number;
  std::u16string_view text;
};

constexpr std::array kStandardTexts{
    NumberedText{3, u"Return without GoSub"},
    NumberedText{5, u"Invalid procedure call or argument"},
    NumberedText{6, u"Overflow"},
    NumberedText{7, u"Out of memory"},
    NumberedText{9, u"Subscript out of range"},
    NumberedText{10, u"This array is fixed or temporarily locked"},
    NumberedText{11, u"Division by zero"},
    NumberedText{13, u"Type mismatch"},
    NumberedText{14, u"Out of string space"},
    NumberedText{28, u"Out of stack space"},
    NumberedText{48, u"Error in loading DLL"},
    NumberedText{49, u"Bad DLL calling convention"},
    NumberedText{51, u"Internal error"},
    NumberedText{52, u"Bad file name or number"},
    NumberedText{53, u"File not found"},
    NumberedText{54, u"Bad file mode"},
    NumberedText{55, u"File already open"},
    NumberedText{57, u"Device I/O error"},
    NumberedText{61, u"Disk full"},
    NumberedText{62, u"Input past end of file"},
    NumberedText{67, u"Too many files"},
    NumberedText{68, u"Device unavailable"},
    NumberedText{70, u"Permission denied"},
    NumberedText{71, u"Disk not ready"},
    NumberedText{75, u"Path/File access error"},
    NumberedText{76, u"Path not found"},
    NumberedText{91, u"Object variable or With block variable not set"},
    NumberedText{94, u"Invalid use of Null"},
    NumberedText{424, u"Object required"},
    NumberedText{429, u"ActiveX component can't create object"},
    NumberedText{438, u"Object doesn't support this property or method"},
    NumberedText{440, u"Automation error"},
    NumberedText{445, u"Object doesn't support this action"},
    NumberedText{448, u"Named argument not found"},
    NumberedText{449, u"Argument not optional"},
    NumberedText{450, u"Wrong number of arguments or invalid property assignment"},
    NumberedText{453, u"Specified DLL function not found"},
    NumberedText{457, u"This key is already associated with an element of this collection"},
    NumberedText{458, u"Variable uses an Automation type not supported in Visual Basic"},
};

}  // namespace

std::u16string StandardErrorText(int32_t number) {
  for (const auto& row : kStandardTexts) {
    if (row.number == number) return std::u16string(row.text);
  }
  return u"Application-defined or object-defined error";
}

AutomationError MakeStandardError(int32_t number) {
  return AutomationError(number, StandardErrorText(number), std::u16string(kProjectSource));
}

void RaiseStandardError(int32_t number) { throw MakeStandardError(number); }

int32_t HResultOf(int32_t number) noexcept {
  if (number > 0 && number <= 0xFFFF) {
    return static_cast<int32_t>(0x800A0000u | static_cast<uint32_t>(number));
  }
  return number;
}

}  // namespace tarn
