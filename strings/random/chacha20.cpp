#include "strings/random/chacha20.h"

#include <bit>

namespace tarn {
namespace {

void QuarterRound(ChaCha20::Block& x, int a, int b, int c, int d) {
  x[a] += x[b];
  x[d] = std::rotl(x[d] ^ x[a], 16);
  x[c] += x[d];
  x[b] = std::rotl(x[b] ^ x[c], 12);
  x[a] += x[b];
  x[d] = std::rotl(x[d] ^ x[a], 8);
  x[c] += x[d];
  x[b] = std::rotl(x[b] ^ x[c], 7);
}

// Word i of four blocks side by side (GCC and clang vector extension: one
// SSE2 register on x86-64; other targets get the same operations lane by lane).
typedef uint32_t Lanes __attribute__((vector_size(16)));

// In place, with no vector passed or returned by value (which would tie the
// calling convention to the target's vector registers).
inline void XorRotate(Lanes& v, const Lanes& with, int n) {
  v ^= with;
  v = (v << n) | (v >> (32 - n));
}

inline void QuarterRound(Lanes* x, int a, int b, int c, int d) {
  x[a] += x[b];
  XorRotate(x[d], x[a], 16);
  x[c] += x[d];
  XorRotate(x[b], x[c], 12);
  x[a] += x[b];
  XorRotate(x[d], x[a], 8);
  x[c] += x[d];
  XorRotate(x[b], x[c], 7);
}

// The 20 rounds (10 column and diagonal double rounds) over one block's words
// or over four blocks' lanes.
template <class Words>
void TwentyRounds(Words& x) {
  for (int round = 0; round < 10; ++round) {
    QuarterRound(x, 0, 4, 8, 12);
    QuarterRound(x, 1, 5, 9, 13);
    QuarterRound(x, 2, 6, 10, 14);
    QuarterRound(x, 3, 7, 11, 15);
    QuarterRound(x, 0, 5, 10, 15);
    QuarterRound(x, 1, 6, 11, 12);
    QuarterRound(x, 2, 7, 8, 13);
    QuarterRound(x, 3, 4, 9, 14);
  }
}

}  // namespace

ChaCha20::ChaCha20(const Key& key, const Nonce& nonce, uint32_t counter) {
  // "expand 32-byte k"
  state_[0] = 0x61707865;
  state_[1] = 0x3320646e;
  state_[2] = 0x79622d32;
  state_[3] = 0x6b206574;
  for (int i = 0; i < 8; ++i) state_[4 + i] = key[i];
  state_[12] = counter;
  for (int i = 0; i < 3; ++i) state_[13 + i] = nonce[i];
}

ChaCha20::Block ChaCha20::NextBlock() {
  Block x = state_;
  TwentyRounds(x);
  for (int i = 0; i < 16; ++i) x[i] += state_[i];
  ++state_[12];
  return x;
}

ChaCha20::FourBlocks ChaCha20::NextFourBlocks() {
  Lanes start[16];
  for (int i = 0; i < 16; ++i) start[i] = Lanes{state_[i], state_[i], state_[i], state_[i]};
  start[12] += Lanes{0, 1, 2, 3};  // the block counter wraps as NextBlock's does
  Lanes x[16];
  for (int i = 0; i < 16; ++i) x[i] = start[i];
  TwentyRounds(x);
  FourBlocks out;
  for (int i = 0; i < 16; ++i) {
    const Lanes word = x[i] + start[i];
    for (int block = 0; block < 4; ++block) out[16 * block + i] = word[block];
  }
  state_[12] += 4;
  return out;
}

}  // namespace tarn
