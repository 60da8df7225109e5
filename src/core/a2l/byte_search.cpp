#include "core/a2l/byte_search.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#define XKM_X86_VECTORS 1
#endif

namespace xkm::a2l {
namespace {

char Folded(char c, bool ignoreCase) {
  return ignoreCase ? static_cast<char>(c | 0x20) : c;
}

bool PairAt(const char* p, size_t i, const BytePair& pair) {
  return Folded(p[i], pair.ignoreCase) == pair.first &&
         Folded(p[i + pair.distance], pair.ignoreCase) == pair.second;
}

#if XKM_X86_VECTORS
// The vector loops look at 32 (AVX2) or 16 (SSE2) positions at a time and
// stop at the first block with a hit or where too few bytes are left; `i`
// then tells where the plain loop goes on.
__attribute__((target("avx2"))) bool PairBlocksAvx2(const char* p, size_t n, size_t& i,
                                                    const BytePair& pair) {
  const __m256i fold = _mm256_set1_epi8(pair.ignoreCase ? 0x20 : 0);
  const __m256i first = _mm256_set1_epi8(pair.first);
  const __m256i second = _mm256_set1_epi8(pair.second);
  for (; i + pair.distance + 32 <= n; i += 32) {
    const __m256i a =
        _mm256_or_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i)), fold);
    const __m256i b = _mm256_or_si256(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + pair.distance)), fold);
    const unsigned hits = static_cast<unsigned>(_mm256_movemask_epi8(
        _mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, second))));
    if (hits != 0) {
      i += static_cast<size_t>(__builtin_ctz(hits));
      return true;
    }
  }
  return false;
}

bool PairBlocksSse2(const char* p, size_t n, size_t& i, const BytePair& pair) {
  const __m128i fold = _mm_set1_epi8(pair.ignoreCase ? 0x20 : 0);
  const __m128i first = _mm_set1_epi8(pair.first);
  const __m128i second = _mm_set1_epi8(pair.second);
  for (; i + pair.distance + 16 <= n; i += 16) {
    const __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), fold);
    const __m128i b = _mm_or_si128(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + pair.distance)), fold);
    const unsigned hits = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, second))));
    if (hits != 0) {
      i += static_cast<size_t>(__builtin_ctz(hits));
      return true;
    }
  }
  return false;
}

__attribute__((target("avx2"))) bool LineEndBlocksAvx2(const char* p, size_t n, size_t& i) {
  const __m256i cr = _mm256_set1_epi8('\r');
  const __m256i lf = _mm256_set1_epi8('\n');
  for (; i + 32 <= n; i += 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
    const unsigned hits = static_cast<unsigned>(
        _mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpeq_epi8(a, cr), _mm256_cmpeq_epi8(a, lf))));
    if (hits != 0) {
      i += static_cast<size_t>(__builtin_ctz(hits));
      return true;
    }
  }
  return false;
}

// Backwards: blocks ending at `i`; on a hit `i` is just after the last line end.
__attribute__((target("avx2"))) bool LastLineEndBlocksAvx2(const char* p, size_t& i) {
  const __m256i cr = _mm256_set1_epi8('\r');
  const __m256i lf = _mm256_set1_epi8('\n');
  for (; i >= 32; i -= 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i - 32));
    const unsigned hits = static_cast<unsigned>(
        _mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpeq_epi8(a, cr), _mm256_cmpeq_epi8(a, lf))));
    if (hits != 0) {
      i -= static_cast<size_t>(__builtin_clz(hits));
      return true;
    }
  }
  return false;
}

bool HasAvx2() {
  return __builtin_cpu_supports("avx2");
}
#endif

}  // namespace

size_t FindBytePair(std::string_view text, size_t from, const BytePair& pair) {
  const char* p = text.data();
  const size_t n = text.size();
  size_t i = from;
#if XKM_X86_VECTORS
  if (HasAvx2() ? PairBlocksAvx2(p, n, i, pair) : PairBlocksSse2(p, n, i, pair)) return i;
#endif
  for (; i + pair.distance < n; ++i)
    if (PairAt(p, i, pair)) return i;
  return kNotFound;
}

size_t FindWord(std::string_view text, size_t from, std::string_view word) {
  const BytePair pair{word.front(), word.back(), word.size() - 1, false};
  for (size_t at = FindBytePair(text, from, pair); at != kNotFound;
       at = FindBytePair(text, at + 1, pair)) {
    if (std::memcmp(text.data() + at, word.data(), word.size()) == 0) return at;
  }
  return kNotFound;
}

size_t FindLineEnd(std::string_view text, size_t from) {
  const char* p = text.data();
  const size_t n = text.size();
  size_t i = from;
#if XKM_X86_VECTORS
  if (HasAvx2() && LineEndBlocksAvx2(p, n, i)) return i;
#endif
  for (; i < n; ++i)
    if (p[i] == '\r' || p[i] == '\n') return i;
  return n;
}

size_t FindLastLineEnd(std::string_view text, size_t before) {
  const char* p = text.data();
  size_t i = before;
#if XKM_X86_VECTORS
  if (HasAvx2() && LastLineEndBlocksAvx2(p, i)) return i - 1;
#endif
  for (; i > 0; --i)
    if (p[i - 1] == '\r' || p[i - 1] == '\n') return i - 1;
  return kNotFound;
}

}  // namespace xkm::a2l
