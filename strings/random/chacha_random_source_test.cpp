#include "strings/random/chacha_random_source.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace tarn {
namespace {

const ChaCha20::Key kKey{1, 2, 3, 4, 5, 6, 7, 8};
const ChaCha20::Nonce kNonce{9, 10, 11};

// Chi-square of `count` draws below `bound` against equal shares.
double ChiSquare(ChaChaRandomSource& random, uint32_t bound, size_t count) {
  std::vector<uint32_t> drawn(count);
  random.NextIndices(bound, drawn.data(), count);
  std::vector<double> observed(bound);
  for (const uint32_t index : drawn) {
    EXPECT_LT(index, bound);
    if (index < bound) ++observed[index];
  }
  const double expected = static_cast<double>(count) / bound;
  double chi = 0;
  for (const double o : observed) chi += (o - expected) * (o - expected) / expected;
  return chi;
}

TEST(ChaChaRandomSource, IndicesAreUniformForShortAndLongWords) {
  // Bounds on both sides of the switches to 16-bit and to 32-bit words. A fair source stays
  // below mean + 8 standard deviations (df + 8 sqrt(2 df)) all but never; a
  // source biased like a plain remainder of 16 bits (by a third for 40,000)
  // or stuck far above.
  struct Row {
    uint32_t bound;
    size_t draws;
  };
  const Row rows[] = {{2, 100'000},      {62, 620'000},     {128, 640'000},     {129, 645'000},
                      {1024, 1'024'000}, {1025, 1'025'000}, {40'000, 4'000'000}};
  ChaChaRandomSource random(kKey, kNonce);
  for (const Row& row : rows) {
    const double df = row.bound - 1.0;
    EXPECT_LT(ChiSquare(random, row.bound, row.draws), df + 8 * std::sqrt(2 * df) + 10) << "bound " << row.bound;
  }
}

TEST(ChaChaRandomSource, TheSameKeyGivesTheSameDrawsAndAnotherKeyOthers) {
  ChaChaRandomSource a(kKey, kNonce), b(kKey, kNonce), c({8, 7, 6, 5, 4, 3, 2, 1}, kNonce);
  std::vector<uint32_t> from_a(1000), from_b(1000), from_c(1000);
  a.NextIndices(62, from_a.data(), 1000);
  b.NextIndices(62, from_b.data(), 1000);
  c.NextIndices(62, from_c.data(), 1000);
  EXPECT_EQ(from_a, from_b);
  EXPECT_NE(from_a, from_c);
  // Numbers and indices of any width follow one another in one stream.
  for (int i = 0; i < 100; ++i) {
    const double r = a.NextUniform();
    EXPECT_EQ(r, b.NextUniform());
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
    uint32_t x = 0, y = 0;
    a.NextIndices(i % 2 ? 70'000 : 7, &x, 1);
    b.NextIndices(i % 2 ? 70'000 : 7, &y, 1);
    ASSERT_EQ(x, y);
  }
}

// Characters are the table's entries at the indices an identically keyed
// source draws, for tables of every word width, in pieces that end inside a
// buffer of the stream and across its refills.
TEST(ChaChaRandomSource, CharactersAreTheTableAtTheIndicesDrawn) {
  for (const uint32_t size : {1u, 62u, 128u, 129u, 1024u, 1025u, 65535u}) {
    std::u16string table(size, u'\0');
    for (uint32_t k = 0; k < size; ++k) table[k] = static_cast<char16_t>(size - k);
    ChaChaRandomSource by_index(kKey, kNonce), by_character(kKey, kNonce);
    for (const size_t piece : {size_t{1}, size_t{37}, size_t{255}, size_t{256}, size_t{3000}}) {
      std::vector<uint32_t> indices(piece);
      std::u16string characters(piece, u'\0');
      by_index.NextIndices(size, indices.data(), piece);
      by_character.NextCharacters(table, characters.data(), piece);
      for (size_t i = 0; i < piece; ++i) {
        ASSERT_EQ(characters[i], table[indices[i]]) << "table of " << size << ", piece " << piece << ", " << i;
      }
    }
  }
}

TEST(ChaChaRandomSource, ABoundOfOneAlwaysGivesZero) {
  ChaChaRandomSource random(kKey, kNonce);
  std::vector<uint32_t> drawn(5000, 7);
  random.NextIndices(1, drawn.data(), drawn.size());
  EXPECT_EQ(drawn, std::vector<uint32_t>(5000, 0));
}

}  // namespace
}  // namespace tarn
