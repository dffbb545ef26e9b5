// The search, count, replace and split rules against straightforward
// references: a plain scan for the search rule (after upper-casing both texts
// for the text method), a plain overlapping count, a plain left-to-right
// replacement, and for splitting that the pieces joined by the separator give
// the source back. Any error must be a library error, never a crash or
// another exception.
#include <cstdint>
#include <optional>
#include <string>

#include "frame/automation_error.h"
#include "strings/occurrence_search.h"
#include "strings/split_replace.h"
#include "strings/text_rules.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/native/icu_text_services.h"

namespace {

using tarn::fuzzing::FuzzInput;
using tarn::fuzzing::Require;

// The lowest position p >= start of `sought` in `text`, or 0, scanning.
int32_t ScanFrom(std::u16string_view text, std::u16string_view sought, int32_t start) {
  if (text.empty()) return 0;
  const auto length = static_cast<int64_t>(text.size());
  if (sought.empty()) return start <= length + 1 ? start : 0;
  for (int64_t p = start; p + static_cast<int64_t>(sought.size()) - 1 <= length; ++p) {
    if (text.substr(static_cast<size_t>(p - 1), sought.size()) == sought) return static_cast<int32_t>(p);
  }
  return 0;
}

int32_t CountOverlapping(std::u16string_view text, std::u16string_view sought) {
  int32_t count = 0;
  for (size_t p = 0; p + sought.size() <= text.size(); ++p) count += text.substr(p, sought.size()) == sought;
  return count;
}

std::u16string ReplaceStepByStep(std::u16string_view data, std::u16string_view search, std::u16string_view replace) {
  if (search.empty()) return std::u16string(data);
  std::u16string out;
  size_t at = 0;
  for (;;) {
    const size_t found = data.find(search, at);
    if (found == std::u16string_view::npos) break;
    out.append(data.substr(at, found - at));
    out.append(replace);
    at = found + search.size();
  }
  out.append(data.substr(at));
  return out;
}

template <typename Call>
std::optional<int32_t> ErrorNumberOf(Call&& call) {
  try {
    call();
  } catch (const tarn::AutomationError& e) {
    return e.number();
  }
  return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const tarn::TextServices& services = tarn::testing::TestTextServices();
  const std::u16string text = in.Text(80);
  const std::u16string sought = in.Text(6);
  const std::u16string replace = in.Text(6);
  const int32_t start = in.Number();
  const int32_t method = in.Byte() % 3;  // 2 is no method

  // The search rule.
  int32_t found = -1;
  const auto search_error = ErrorNumberOf([&] { found = tarn::FindOccurrence(services, text, sought, start, method); });
  if (method > 1 || start < 1) {
    Require(search_error == 5 || (method <= 1 && !search_error), "FindOccurrence: error 5 for a bad method or start");
  } else {
    Require(!search_error, "FindOccurrence: no error for a valid start and method");
    const std::u16string a = method == tarn::kTextCompare ? services.ToUpper(text) : text;
    const std::u16string b = method == tarn::kTextCompare ? services.ToUpper(sought) : sought;
    Require(found == ScanFrom(a, b, start), "FindOccurrence: the plain scan's position");
  }

  // InStrEx with a positive start is the search rule.
  if (start >= 1 && method <= 1) {
    int32_t position = -1;
    Require(!ErrorNumberOf([&] { position = tarn::InStrEx(services, start, text, sought, method); }),
            "InStrEx: no error for a positive start");
    Require(position == found, "InStrEx: the search rule for a positive start");
  } else {
    (void)ErrorNumberOf([&] { (void)tarn::InStrEx(services, start, text, sought, method); });
  }

  // Counting, exact and ignoring case.
  const int16_t exact = static_cast<int16_t>(in.Byte() % 2 ? -1 : 0);
  int32_t count = -1;
  const auto count_error = ErrorNumberOf([&] { count = tarn::CountStringInString(services, text, sought, exact); });
  if (text.empty() || sought.empty()) {
    Require(count_error == 9, "CountStringInString: error 9 for an empty text or match");
  } else {
    Require(!count_error, "CountStringInString: no error");
    const int32_t expected =
        exact ? CountOverlapping(text, sought) : CountOverlapping(services.ToUpper(text), services.ToUpper(sought));
    Require(count == expected, "CountStringInString: the plain overlapping count");
  }

  // Replacing, both ways of building the result.
  const std::u16string replaced = tarn::ReplaceString(text, sought, replace);
  Require(replaced == ReplaceStepByStep(text, sought, replace), "ReplaceString: the plain left-to-right result");
  std::u16string built;
  tarn::ReplaceStringInto(text, sought, replace, [&](size_t length) {
    built.assign(length, u'#');
    return built.data();
  });
  Require(built == replaced, "ReplaceStringInto: the same result as ReplaceString");

  // Splitting: the pieces joined by the separator are the source.
  const tarn::ParseOutcome parsed = tarn::ParseString(text, sought);
  Require(!parsed.pieces.empty(), "ParseString: at least one piece");
  if (parsed.error) {
    Require(parsed.error->number() == 5, "ParseString: error 5 only");
    Require(parsed.pieces.back().empty(), "ParseString: an empty last element after an error");
  } else {
    std::u16string joined = parsed.pieces.front();
    for (size_t i = 1; i < parsed.pieces.size(); ++i) joined += sought + parsed.pieces[i];
    if (text.empty()) {
      Require(parsed.pieces.size() == 1 && parsed.pieces[0].empty(), "ParseString: one empty piece for no text");
    } else if (sought.empty()) {
      Require(parsed.pieces.size() == text.size() + 2, "ParseString: one piece per character and two empty ones");
    } else {
      Require(joined == text, "ParseString: the pieces joined give the source");
      Require(static_cast<int32_t>(parsed.pieces.size()) == CountOverlapping(text, sought) + 1,
              "ParseString: one piece more than occurrences");
    }
  }
  return 0;
}
