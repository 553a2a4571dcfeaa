#include "core/bitmap_header.hpp"

#include <initializer_list>

#include "core/processor_features.hpp"
#include "core/units.hpp"

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define BRACKWYN_X86_SHUFFLE 1
#endif

namespace brackwyn {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kSmallestInfoHeader = 40;
constexpr std::uint32_t kNoCompression = 0;
constexpr std::uint32_t kBitFields = 3;

std::uint32_t Le32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint16_t Le16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

bool StartsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> prefix) {
  if (bytes.size() < prefix.size())
    return false;
  std::size_t i = 0;
  for (std::uint8_t b : prefix) {
    if (bytes[i++] != b)
      return false;
  }
  return true;
}

std::optional<BitmapLayout> Refuse(std::string* problem, std::string text) {
  *problem = std::move(text);
  return std::nullopt;
}

std::string NotABitmap(std::span<const std::uint8_t> head) {
  if (StartsWith(head, {0x89, 'P', 'N', 'G'}))
    return "it is a PNG picture, not a bitmap";
  if (StartsWith(head, {0xFF, 0xD8, 0xFF}))
    return "it is a JPEG picture, not a bitmap";
  return "it is not a bitmap (it does not start with \"BM\")";
}

// What a compression other than none or bit fields makes of the file.
std::string CompressionProblem(std::uint32_t compression) {
  switch (compression) {
    case 1:
    case 2:
      return "it is RLE-compressed";
    case 4:
      return "it is JPEG-compressed";
    case 5:
      return "it is PNG-compressed";
    default:
      return "it uses compression " + std::to_string(compression);
  }
}

std::string BitsProblem(int bits) {
  if (bits == 16)
    return "it is 16-bit, whose gray levels cannot be recovered exactly";
  return "it has " + std::to_string(bits) + " bits per pixel";
}

bool StandardMasks(std::span<const std::uint8_t> head) {
  return head.size() >= 66 && Le32(head, 54) == 0x00FF0000 && Le32(head, 58) == 0x0000FF00 &&
         Le32(head, 62) == 0x000000FF;
}

}  // namespace

int BitmapLayout::storedRow(int y) const {
  return topDown ? kBitmapSide - 1 - y : y;
}

std::uint64_t BitmapLayout::neededBytes() const {
  return dataOffset + std::uint64_t{rowStride} * (kBitmapSide - 1) + rowDataBytes;
}

std::optional<BitmapLayout> ParseBitmapHeader(std::span<const std::uint8_t> head,
                                              std::uint64_t fileSize, std::string* problem) {
  if (head.size() >= 2 && !StartsWith(head, {'B', 'M'}))
    return Refuse(problem, NotABitmap(head));
  if (fileSize < kFileHeaderBytes + kSmallestInfoHeader ||
      head.size() < kFileHeaderBytes + kSmallestInfoHeader) {
    return Refuse(problem, "it is " + std::to_string(fileSize) +
                               " bytes long, too short for a 3328 x 3328 bitmap");
  }
  std::uint32_t infoBytes = Le32(head, 14);
  if (infoBytes != 40 && infoBytes != 108 && infoBytes != 124) {
    return Refuse(problem, "its information header is " + std::to_string(infoBytes) +
                               " bytes long, not 40, 108 or 124 as in a Windows bitmap");
  }
  auto width = static_cast<std::int32_t>(Le32(head, 18));
  auto height = static_cast<std::int32_t>(Le32(head, 22));
  std::int64_t rows = height < 0 ? -std::int64_t{height} : height;
  if (width != kBitmapSide || rows != kBitmapSide) {
    return Refuse(problem,
                  "it is " + std::to_string(width) + " x " + std::to_string(rows) + " pixels");
  }
  if (std::uint16_t planes = Le16(head, 26); planes != 1)
    return Refuse(problem, "it has " + std::to_string(planes) + " colour planes instead of 1");
  int bits = Le16(head, 28);
  std::uint32_t compression = Le32(head, 30);
  if (compression != kNoCompression && compression != kBitFields)
    return Refuse(problem, CompressionProblem(compression));
  if (bits != 8 && bits != 24 && bits != 32)
    return Refuse(problem, BitsProblem(bits));
  if (compression == kBitFields && (bits != 32 || !StandardMasks(head))) {
    return Refuse(problem, "its colour bit fields are not 8 bits each of red, green and blue");
  }

  BitmapLayout layout;
  layout.bitsPerPixel = bits;
  layout.topDown = height < 0;
  layout.dataOffset = Le32(head, 10);
  std::size_t bytesPerPixel = static_cast<std::size_t>(bits) / 8;
  layout.rowStride = (kBitmapSide * bytesPerPixel + 3) / 4 * 4;
  // 8-bit rows end with their last index byte, the others with a green byte.
  layout.rowDataBytes = bits == 8 ? kBitmapSide : (kBitmapSide - 1) * bytesPerPixel + 2;

  std::uint64_t headersEnd = kFileHeaderBytes + infoBytes;
  if (infoBytes == 40 && compression == kBitFields)
    headersEnd += 12;  // the masks follow a 40-byte header
  if (bits == 8) {
    std::uint32_t entries = Le32(head, 46);
    if (entries > 256) {
      return Refuse(problem,
                    "its palette claims " + std::to_string(entries) + " colours, more than 256");
    }
    layout.paletteEntries = entries == 0 ? 256 : static_cast<int>(entries);
    std::size_t paletteAt = kFileHeaderBytes + infoBytes;
    headersEnd = paletteAt + 4 * static_cast<std::size_t>(layout.paletteEntries);
    if (head.size() < headersEnd)
      return Refuse(problem, "it ends inside its palette");
    for (int i = 0; i < layout.paletteEntries; ++i)
      layout.paletteGreen[static_cast<std::size_t>(i)] = head[paletteAt + 4 * i + 1];
  }
  if (layout.dataOffset < headersEnd) {
    return Refuse(problem, "its pixel data offset " + std::to_string(layout.dataOffset) +
                               " lies inside its headers");
  }
  if (fileSize < layout.neededBytes()) {
    return Refuse(problem, "it is " + std::to_string(fileSize) + " bytes long, too short for a " +
                               "3328 x 3328 " + std::to_string(bits) + "-bit bitmap (at least " +
                               std::to_string(layout.neededBytes()) + " bytes)");
  }
  return layout;
}

namespace {

void GreensOf24BitPortable(const std::uint8_t* stored, std::uint8_t* row) {
  for (int x = 0; x < kBitmapSide; ++x)
    row[x] = stored[3 * x + 1];
}

#if defined(BRACKWYN_X86_SHUFFLE)
static_assert(kBitmapSide % 16 == 0);

// Sixteen pixels (48 bytes) a step: each of the three 16-byte loads gives up
// the greens that lie in it. Reads no byte past the row's last pixel.
__attribute__((target("ssse3"))) void GreensOf24BitSsse3(const std::uint8_t* stored,
                                                         std::uint8_t* row) {
  const __m128i fromFirst =
      _mm_setr_epi8(1, 4, 7, 10, 13, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i fromSecond =
      _mm_setr_epi8(-1, -1, -1, -1, -1, 0, 3, 6, 9, 12, 15, -1, -1, -1, -1, -1);
  const __m128i fromThird =
      _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 2, 5, 8, 11, 14);
  for (int x = 0; x < kBitmapSide; x += 16, stored += 48) {
    __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(stored));
    __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(stored + 16));
    __m128i third = _mm_loadu_si128(reinterpret_cast<const __m128i*>(stored + 32));
    __m128i greens = _mm_or_si128(
        _mm_or_si128(_mm_shuffle_epi8(first, fromFirst), _mm_shuffle_epi8(second, fromSecond)),
        _mm_shuffle_epi8(third, fromThird));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), greens);
  }
}
#endif

using GreensFunction = void (*)(const std::uint8_t*, std::uint8_t*);

// Chosen once for the processor, through a pointer, because Windows
// executables cannot choose per processor when they are loaded.
GreensFunction ChooseGreensOf24Bit() {
#if defined(BRACKWYN_X86_SHUFFLE)
  if (HasSsse3())
    return GreensOf24BitSsse3;
#endif
  return GreensOf24BitPortable;
}

}  // namespace

const char* SampleInstructionSet() {
#if defined(BRACKWYN_X86_SHUFFLE)
  if (HasSsse3())
    return "SSSE3";
#endif
  return "portable C++";
}

int SampleStoredRow(const BitmapLayout& layout, const std::uint8_t* stored, std::uint8_t* row) {
  static const GreensFunction greensOf24Bit = ChooseGreensOf24Bit();
  switch (layout.bitsPerPixel) {
    case 24:
      greensOf24Bit(stored, row);
      return -1;
    case 32:
      for (int x = 0; x < kBitmapSide; ++x)
        row[x] = stored[4 * x + 1];
      return -1;
    default: {
      const int entries = layout.paletteEntries;
      bool beyond = false;
      for (int x = 0; x < kBitmapSide; ++x) {
        row[x] = layout.paletteGreen[stored[x]];
        beyond |= stored[x] >= entries;
      }
      if (!beyond)
        return -1;
      int x = 0;
      while (stored[x] < entries)
        ++x;
      return x;
    }
  }
}

}  // namespace brackwyn
