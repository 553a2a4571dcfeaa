#include "land/cell_colors.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "core/number_text.hpp"
#include "core/parallel_for.hpp"
#include "core/processor_features.hpp"
#include "core/thread_count.hpp"
#include "land/cell_heights.hpp"
#include "model/control_names.hpp"

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define BRACKWYN_X86_GATHER 1
#endif

namespace brackwyn {
namespace {

constexpr VertexColor kWhite = {255, 255, 255};

std::uint8_t ComponentByte(float value) {
  // The palette holds 0..255 only; the clamp guards a table never built.
  return static_cast<std::uint8_t>(std::clamp(RoundHalfEven(value), 0.0, 255.0));
}

// Entry 0 is white (above the palette), entry i + 1 palette row i, so a
// vertex needs one clamp and one look-up. Entries are padded to four bytes so
// that a vertex is one four-byte store; its fourth byte lands on the next
// vertex, which overwrites it.
class HeightColorTable {
 public:
  explicit HeightColorTable(const VertexColorPalette& palette) {
    colors_[0] = Padded(kWhite);
    for (int row = 0; row < kPaletteRows; ++row) {
      VertexColor color;
      for (int c = 0; c < 3; ++c)
        color[c] = ComponentByte(palette[row][c]);
      colors_[row + 1] = Padded(color);
    }
  }

  VertexColor operator[](int height) const {
    VertexColor color;
    std::memcpy(color.data(), &entry(height), 3);
    return color;
  }

  const std::uint32_t& entry(int height) const { return colors_[EntryIndex(height)]; }
  const std::uint32_t* entries() const { return colors_.data(); }

  // White above the palette's top height, its bottom row below its bottom.
  static int EntryIndex(int height) {
    return std::clamp(kPaletteTopHeight + 1 - height, 0, kPaletteRows);
  }

 private:
  static std::uint32_t Padded(const VertexColor& color) {
    std::uint32_t entry = 0;
    std::memcpy(&entry, color.data(), 3);
    return entry;
  }

  std::array<std::uint32_t, kPaletteRows + 1> colors_;
};

void ColorVertexRowPortable(const std::int16_t* heights, const HeightColorTable& table,
                            std::uint8_t* bytes) {
  for (int dx = 0; dx + 1 < kVerticesPerCellSide; ++dx, bytes += 3)
    std::memcpy(bytes, &table.entry(heights[dx]), 4);
  // The row's last vertex may end the cell: no byte past it is written.
  std::memcpy(bytes, &table.entry(heights[kVerticesPerCellSide - 1]), 3);
}

#if defined(BRACKWYN_X86_GATHER)
// Eight vertices a step, their entries gathered and packed to three bytes
// each. A step's second half is stored 16 bytes wide, four past its end,
// where the next step writes; the last step stores exactly.
__attribute__((target("avx2"))) void ColorVertexRowAvx2(const std::int16_t* heights,
                                                        const HeightColorTable& table,
                                                        std::uint8_t* bytes) {
  constexpr int kVectorVertices = kVerticesPerCellSide / 8 * 8;
  const __m256i whiteIndex = _mm256_set1_epi32(kPaletteTopHeight + 1);
  const __m256i lastIndex = _mm256_set1_epi32(kPaletteRows);
  const __m256i firstThreeBytes =
      _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,  //
                       0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const auto* entries = reinterpret_cast<const int*>(table.entries());
  for (int dx = 0; dx < kVectorVertices; dx += 8) {
    __m256i height =
        _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(heights + dx)));
    __m256i index = _mm256_min_epi32(
        _mm256_max_epi32(_mm256_sub_epi32(whiteIndex, height), _mm256_setzero_si256()), lastIndex);
    __m256i packed =
        _mm256_shuffle_epi8(_mm256_i32gather_epi32(entries, index, 4), firstThreeBytes);
    std::uint8_t* out = bytes + 3 * dx;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
    __m128i upper = _mm256_extracti128_si256(packed, 1);
    if (dx + 8 < kVectorVertices) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 12), upper);
    } else {
      std::uint8_t last[16];
      _mm_storeu_si128(reinterpret_cast<__m128i*>(last), upper);
      std::memcpy(out + 12, last, 12);
    }
  }
  for (int dx = kVectorVertices; dx < kVerticesPerCellSide; ++dx)
    std::memcpy(bytes + 3 * dx, &table.entry(heights[dx]), 3);
}
#endif

using ColorVertexRowFunction = void (*)(const std::int16_t*, const HeightColorTable&,
                                        std::uint8_t*);

ColorVertexRowFunction ChooseColorVertexRow() {
#if defined(BRACKWYN_X86_GATHER)
  if (HasAvx2())
    return ColorVertexRowAvx2;
#endif
  return ColorVertexRowPortable;
}

// Cells `begin` to `end` of cell row `r`, a grid row at a time: read in
// order, the heights stream in from memory.
void ColorCells(const HeightGrid& grid, const HeightColorTable& table, int r, int begin, int end,
                std::uint8_t* colors) {
  static const ColorVertexRowFunction colorVertexRow = ChooseColorVertexRow();
  const int y0 = r * kQuadsPerCellSide;
  for (int dy = 0; dy < kVerticesPerCellSide; ++dy) {
    const std::int16_t* heights = grid.row(y0 + dy);
    for (int c = begin; c < end; ++c) {
      const std::size_t cell = std::size_t{kCellsPerSide} * r + c;
      colorVertexRow(heights + c * kQuadsPerCellSide, table,
                     colors + kCellColorBytes * cell + std::size_t{3} * kVerticesPerCellSide * dy);
    }
  }
}

}  // namespace

VertexColor ColorOfHeight(const VertexColorPalette& palette, int height) {
  return HeightColorTable(palette)[height];
}

const char* VertexColorInstructionSet() {
  return ChooseColorVertexRow() == ColorVertexRowPortable ? "portable C++" : "AVX2";
}

void CreateVCLR(RunContext& run) {
  run.progress.StartStage();
  CellColors& colors = run.state.cellColors;
  if (run.window.state(control::chkCreateVCLR) == 0) {
    colors.bytes.assign(kCellCount * kCellColorBytes, 255);
    return;
  }
  const HeightGrid& grid = run.state.heightGrid;
  if (grid.empty())
    throw std::logic_error("CreateVCLR needs the HeightGrid of ProcessElevation");
  colors.bytes.clear();
  colors.bytes.resize(kCellCount * kCellColorBytes);  // every byte is coloured below
  const HeightColorTable table(run.state.palette);
  WorkerTeam team(ThreadCount());
  for (int r = 0; r < kCellsPerSide; ++r) {
    int y0 = r * kQuadsPerCellSide;
    team.forEach(kCellsPerSide, [&](int begin, int end) {
      ColorCells(grid, table, r, begin, end, colors.bytes.data());
    });
    run.progress.ShowProgress(CellRowProgressText("colors", y0));
    run.progress.YieldToUI();
  }
  run.progress.LogStageTime("CreateVCLR");
}

}  // namespace brackwyn
