#include "app/form/crc32.h"

#include <cpuid.h>
#include <wmmintrin.h>
#include <zlib.h>

#include <climits>

namespace app::form {
namespace {

// x^(d+32) and x^(d-32) modulo the polynomial, bit-reflected and shifted
// left by one, for folding 128 bits over a distance of d bits: d = 512 moves
// each of four lanes past the other three, d = 128 merges neighbouring lanes.
constexpr long long kFold512Low = 0x154442bd4, kFold512High = 0x1c6e41596;
constexpr long long kFold128Low = 0x1751997d0, kFold128High = 0x0ccaa009e;
constexpr std::size_t kStep = 64;

std::uint32_t TableCrc(std::uint32_t crc, const unsigned char* bytes, std::size_t size) {
  while (size > 0) {
    const uInt piece = static_cast<uInt>(size < UINT_MAX ? size : UINT_MAX);
    crc = static_cast<std::uint32_t>(crc32(crc, bytes, piece));
    bytes += piece;
    size -= piece;
  }
  return crc;
}

bool CanMultiplyWithoutCarries() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  return (c & bit_PCLMUL) && (d & bit_SSE2);
}

__attribute__((target("sse2"))) inline __m128i Load(const unsigned char* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// One 128-bit lane moved forward by the distance its constants stand for.
__attribute__((target("pclmul,sse2"))) inline __m128i Fold(__m128i lane, __m128i constants) {
  return _mm_xor_si128(_mm_clmulepi64_si128(lane, constants, 0x00), _mm_clmulepi64_si128(lane, constants, 0x11));
}

// Folds the whole 64-byte steps of `bytes` (size >= 64) into 16 bytes whose
// table checksum, started from a zero register, is the checksum of those
// steps started from `crc`. The register's start goes into the first four
// bytes, which a reflected checksum treats the same way.
// 32-bit callers may enter with a 4-byte aligned stack: it is realigned.
__attribute__((target("pclmul,sse2"), force_align_arg_pointer)) void FoldSteps(std::uint32_t crc,
                                                                                const unsigned char* bytes,
                                                                                std::size_t steps,
                                                                                unsigned char folded[16]) {
  __m128i lane0 = _mm_xor_si128(Load(bytes), _mm_cvtsi32_si128(static_cast<int>(~crc)));
  __m128i lane1 = Load(bytes + 16), lane2 = Load(bytes + 32), lane3 = Load(bytes + 48);
  const __m128i by512 = _mm_set_epi64x(kFold512High, kFold512Low);
  for (std::size_t step = 1; step < steps; ++step) {
    const unsigned char* next = bytes + step * kStep;
    lane0 = _mm_xor_si128(Fold(lane0, by512), Load(next));
    lane1 = _mm_xor_si128(Fold(lane1, by512), Load(next + 16));
    lane2 = _mm_xor_si128(Fold(lane2, by512), Load(next + 32));
    lane3 = _mm_xor_si128(Fold(lane3, by512), Load(next + 48));
  }
  const __m128i by128 = _mm_set_epi64x(kFold128High, kFold128Low);
  __m128i all = _mm_xor_si128(Fold(lane0, by128), lane1);
  all = _mm_xor_si128(Fold(all, by128), lane2);
  all = _mm_xor_si128(Fold(all, by128), lane3);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(folded), all);
}

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size) {
  static const bool folding = CanMultiplyWithoutCarries();
  const auto* bytes = static_cast<const unsigned char*>(data);
  if (!folding || size < 2 * kStep) return TableCrc(crc, bytes, size);
  const std::size_t steps = size / kStep;
  unsigned char folded[16];
  FoldSteps(crc, bytes, steps, folded);
  // zlib's start of 0xFFFFFFFF is a zero register.
  const std::uint32_t sum = TableCrc(0xFFFFFFFFu, folded, sizeof folded);
  return TableCrc(sum, bytes + steps * kStep, size - steps * kStep);
}

}  // namespace app::form
