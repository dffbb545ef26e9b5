// TimeUtility through the v-table and IDispatch, and SecFrom1970 against the
// system's own clock.
#include <gtest/gtest.h>

#include <ctime>

#include "tests/wine/client/client_support.h"

namespace tarn::client {
namespace {

ComPtr<_TimeUtility> NewTimeUtility() { return CreateFromDll<_TimeUtility>(CLSID_TimeUtility); }

TEST(TimeUtility, MonthLengthsAndLeapYears) {
  auto object = NewTimeUtility();
  ASSERT_TRUE(object);
  const struct {
    LONG month;
    short year;
    short days;
  } months[] = {
      {Febbraio, 2000, 29}, {Febbraio, 1900, 28}, {Febbraio, 2024, 29}, {Febbraio, 2023, 28}, {Aprile, 2023, 30},
      {Giugno, 1, 30},      {Settembre, -5, 30},  {Novembre, 0, 30},    {Gennaio, 1999, 31},  {Dicembre, 1999, 31},
      {0, 2024, 31},        {13, 2024, 31},       {-1, 2024, 31},       {Febbraio, -4, 29},   {Febbraio, -100, 28},
  };
  for (const auto& row : months) {
    short days = 0;
    ASSERT_EQ(object->UltimoMese(static_cast<eMesiAnno>(row.month), row.year, &days), S_OK) << row.month;
    EXPECT_EQ(days, row.days) << "month " << row.month << " year " << row.year;
  }
  const struct {
    short year;
    VARIANT_BOOL leap;
  } years[] = {{0, VARIANT_TRUE},     {-4, VARIANT_TRUE},    {-400, VARIANT_TRUE},   {-32768, VARIANT_TRUE},
               {-100, VARIANT_FALSE}, {1900, VARIANT_FALSE}, {32767, VARIANT_FALSE}, {2024, VARIANT_TRUE}};
  for (const auto& row : years) {
    VARIANT_BOOL leap = 1;  // neither True nor False
    ASSERT_EQ(object->isLeapYear(row.year, &leap), S_OK) << row.year;
    EXPECT_EQ(leap, row.leap) << "year " << row.year;
  }
}

TEST(TimeUtility, ThroughIDispatchWithVariantArguments) {
  auto object = CreateFromDll<IDispatch>(CLSID_TimeUtility);
  ASSERT_TRUE(object);
  Variant days;
  EXCEPINFO exception{};
  ASSERT_EQ(
      InvokeByName(object.Get(), L"UltimoMese", DISPATCH_METHOD, {LongArg(2), LongArg(2024)}, days.get(), &exception),
      S_OK);
  EXPECT_EQ(V_VT(days.get()), VT_I2);
  EXPECT_EQ(V_I2(days.get()), 29);
  Variant leap;
  ASSERT_EQ(InvokeByName(object.Get(), L"isLeapYear", DISPATCH_METHOD, {LongArg(1900)}, leap.get(), &exception), S_OK);
  EXPECT_EQ(V_VT(leap.get()), VT_BOOL);
  EXPECT_EQ(V_BOOL(leap.get()), VARIANT_FALSE);
  // A year outside the Integer range does not reach the member.
  Variant overflow;
  EXPECT_NE(InvokeByName(object.Get(), L"isLeapYear", DISPATCH_METHOD, {LongArg(40000)}, overflow.get(), &exception),
            S_OK);
  ReleaseException(exception);
}

// Seconds of the local clock since 1970, from the system's own FILETIME
// conversion rather than a calendar.
LONGLONG LocalSecondsFrom1970() {
  FILETIME utc, local;
  GetSystemTimeAsFileTime(&utc);
  FileTimeToLocalFileTime(&utc, &local);
  const ULONGLONG ticks = (static_cast<ULONGLONG>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
  return static_cast<LONGLONG>(ticks / 10000000ULL) - 11644473600LL;
}

TEST(TimeUtility, SecFrom1970CountsTheLocalClock) {
  auto object = NewTimeUtility();
  ASSERT_TRUE(object);
  const LONGLONG before = LocalSecondsFrom1970();
  LONG seconds = 0;
  ASSERT_EQ(object->SecFrom1970(&seconds), S_OK);
  const LONGLONG after = LocalSecondsFrom1970();
  EXPECT_GE(seconds, before);
  EXPECT_LE(seconds, after);
}

// Run by the time-zone test with TZ set for Wine: the count is the UTC count
// plus the zone's offset, which TARN_UTC_OFFSET gives in seconds.
TEST(TimeUtility, SecFrom1970AddsTheLocalOffsetToTheUtcCount) {
  wchar_t text[32] = {};
  if (GetEnvironmentVariableW(L"TARN_UTC_OFFSET", text, 32) == 0) GTEST_SKIP() << "TARN_UTC_OFFSET not set";
  const long offset = wcstol(text, nullptr, 10);
  auto object = NewTimeUtility();
  ASSERT_TRUE(object);
  const long long before = static_cast<long long>(std::time(nullptr));
  LONG seconds = 0;
  ASSERT_EQ(object->SecFrom1970(&seconds), S_OK);
  const long long after = static_cast<long long>(std::time(nullptr));
  EXPECT_GE(seconds - offset, before) << "offset " << offset;
  EXPECT_LE(seconds - offset, after) << "offset " << offset;
}

}  // namespace
}  // namespace tarn::client
