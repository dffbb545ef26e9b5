#include "frame/version_info.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/native/test_text.h"

namespace tarn {
namespace {

using testing::Narrow;

// Writes version-information nodes the way resource compilers lay them out.
struct VersionNode {
  std::u16string key;
  uint16_t type;               // 1 text, 0 binary
  std::vector<uint8_t> value;  // raw bytes of the value
  uint16_t value_length;       // as the header records it
  std::vector<VersionNode> children;
};

void Pad(std::vector<uint8_t>& out, size_t base) {
  while ((out.size() - base) % 4 != 0) out.push_back(0);
}

void PutWord(std::vector<uint8_t>& out, size_t at, uint16_t value) {
  out[at] = static_cast<uint8_t>(value & 0xFF);
  out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Write(const VersionNode& node, std::vector<uint8_t>& out, size_t base) {
  const size_t start = out.size();
  out.resize(start + 6);
  PutWord(out, start + 2, node.value_length);
  PutWord(out, start + 4, node.type);
  for (const char16_t unit : node.key) {
    out.push_back(static_cast<uint8_t>(unit & 0xFF));
    out.push_back(static_cast<uint8_t>(unit >> 8));
  }
  out.push_back(0);
  out.push_back(0);
  Pad(out, base);
  out.insert(out.end(), node.value.begin(), node.value.end());
  for (const auto& child : node.children) {
    Pad(out, base);
    Write(child, out, base);
  }
  PutWord(out, start, static_cast<uint16_t>(out.size() - start));
}

std::vector<uint8_t> TextBytes(std::u16string_view text) {
  std::vector<uint8_t> bytes;
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

VersionNode String(std::u16string key, std::u16string_view text) {
  return {std::move(key), 1, TextBytes(text), static_cast<uint16_t>(text.size() + 1), {}};
}

std::vector<uint8_t> Block(std::vector<VersionNode> strings, std::u16string table = u"040904B0") {
  const VersionNode root{u"VS_VERSION_INFO",
                         0,
                         std::vector<uint8_t>(52, 0xEE),  // the fixed file information
                         52,
                         {{u"StringFileInfo", 1, {}, 0, {{std::move(table), 1, {}, 0, std::move(strings)}}},
                          {u"VarFileInfo", 1, {}, 0, {{u"Translation", 0, {0x09, 0x04, 0xB0, 0x04}, 4, {}}}}}};
  std::vector<uint8_t> out;
  Write(root, out, 0);
  return out;
}

std::vector<VersionNode> LibraryStrings() {
  return {String(u"FileDescription", u"Tarn General Utility Library"),
          String(u"FileVersion", u"0.04.0003"),
          String(u"InternalName", u"TarnLib"),
          String(u"OriginalFilename", u"TarnLib.dll"),
          String(u"ProductName", u"TarnLib"),
          String(u"OLESelfRegister", u"")};
}

TEST(FindVersionString, FindsEachStringOfTheTable) {
  const auto block = Block(LibraryStrings());
  const struct {
    std::u16string_view name;
    std::u16string_view value;
  } rows[] = {
      {u"ProductName", u"TarnLib"},
      {u"InternalName", u"TarnLib"},
      {u"OriginalFilename", u"TarnLib.dll"},
      {u"FileDescription", u"Tarn General Utility Library"},
      {u"OLESelfRegister", u""},
  };
  for (const auto& row : rows) {
    const auto found = FindVersionString(block, row.name);
    ASSERT_TRUE(found) << Narrow(row.name);
    EXPECT_EQ(*found, row.value) << Narrow(row.name);
  }
  EXPECT_FALSE(FindVersionString(block, u"CompanyName"));
  EXPECT_FALSE(FindVersionString(block, u"Translation"));  // a value of the other branch, not a string
  EXPECT_FALSE(FindVersionString(block, u"productname"));  // names are exact
}

TEST(FindVersionString, ValueLengthCountedInBytesOrWithoutTerminatorStillReads) {
  auto in_bytes = String(u"ProductName", u"Tarn\u00e8");
  in_bytes.value_length = static_cast<uint16_t>(in_bytes.value.size());  // some tools count bytes
  EXPECT_EQ(FindVersionString(Block({String(u"A", u"x"), in_bytes}), u"ProductName"), u"Tarn\u00e8");
  auto unterminated = String(u"ProductName", u"abc");
  unterminated.value.resize(6);
  unterminated.value_length = 3;
  EXPECT_EQ(FindVersionString(Block({unterminated}), u"ProductName"), u"abc");
}

TEST(FindVersionString, KeysOfOddAndEvenLengthAreAligned) {
  // Keys of one to four units put the value at every offset modulo 4.
  const auto block = Block({String(u"A", u"1"), String(u"BB", u"22"), String(u"CCC", u"333"), String(u"DDDD", u"4444"),
                            String(u"ProductName", u"TarnLib")});
  EXPECT_EQ(FindVersionString(block, u"A"), u"1");
  EXPECT_EQ(FindVersionString(block, u"BB"), u"22");
  EXPECT_EQ(FindVersionString(block, u"CCC"), u"333");
  EXPECT_EQ(FindVersionString(block, u"DDDD"), u"4444");
  EXPECT_EQ(FindVersionString(block, u"ProductName"), u"TarnLib");
}

TEST(FindVersionString, DamagedBlocksGiveNothingAndStayInside) {
  const auto whole = Block(LibraryStrings());
  EXPECT_FALSE(FindVersionString({}, u"ProductName"));
  // Every truncation: the string is either found whole or not at all.
  for (size_t size = 0; size < whole.size(); ++size) {
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    const auto found = FindVersionString(cut, u"ProductName");
    if (found) {
      EXPECT_EQ(*found, u"TarnLib") << "size " << size;
    }
  }
  // A root that claims more bytes than there are, and a node of length 0.
  auto claims_more = whole;
  claims_more[0] = 0xFF;
  claims_more[1] = 0xFF;
  EXPECT_FALSE(FindVersionString(claims_more, u"ProductName"));
  std::vector<uint8_t> zero_length(16, 0);
  EXPECT_FALSE(FindVersionString(zero_length, u"ProductName"));
  EXPECT_FALSE(FindVersionString(Block(LibraryStrings()), u""));
}

TEST(FindVersionString, OtherRootsAreNotVersionInformation) {
  auto block = Block(LibraryStrings());
  block[6] = 'W';  // VS_VERSION_INFO becomes WS_VERSION_INFO
  EXPECT_FALSE(FindVersionString(block, u"ProductName"));
}

}  // namespace
}  // namespace tarn
