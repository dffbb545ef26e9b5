#include "frame/automation_error.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

TEST(HResultOf, StandardNumbersGetTheRuntimeFacility) {
  struct Row {
    int32_t number;
    uint32_t hresult;
  };
  const Row rows[] = {
      {5, 0x800A0005u},   {6, 0x800A0006u},   {9, 0x800A0009u},     {91, 0x800A005Bu},
      {457, 0x800A01C9u}, {511, 0x800A01FFu}, {65535, 0x800AFFFFu},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(static_cast<uint32_t>(HResultOf(row.number)), row.hresult) << row.number;
  }
}

TEST(HResultOf, LibraryNumbersPassUnchanged) {
  for (const uint32_t number : {0x80040BB9u, 0x8004EA61u, 0x8004EA65u, 0x80004001u}) {
    EXPECT_EQ(static_cast<uint32_t>(HResultOf(static_cast<int32_t>(number))), number) << std::hex << number;
  }
}

TEST(StandardError, CarriesNumberTextAndProjectSource) {
  try {
    RaiseStandardError(kErrOverflow);
    FAIL() << "no error raised";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), 6);
    EXPECT_EQ(e.description(), u"Overflow");
    EXPECT_EQ(e.source(), u"TarnLib");
  }
  EXPECT_EQ(StandardErrorText(9), u"Subscript out of range");
  EXPECT_EQ(StandardErrorText(5), u"Invalid procedure call or argument");
  EXPECT_EQ(StandardErrorText(457), u"This key is already associated with an element of this collection");
  EXPECT_EQ(StandardErrorText(12345), u"Application-defined or object-defined error");
}

}  // namespace
}  // namespace tarn
