#include "objects/object_density.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>

#include "core/gray_bitmap.hpp"
#include "core/parallel_for.hpp"
#include "core/processor_features.hpp"
#include "core/thread_count.hpp"

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define BRACKWYN_X86_PERMUTE 1
#endif

namespace brackwyn {

void ObjectDensity::allocate(int kindCount) {
  std::vector<int> ownLayers(static_cast<std::size_t>(kindCount));
  for (int kind = 0; kind < kindCount; ++kind)
    ownLayers[static_cast<std::size_t>(kind)] = kind;
  allocateForRows(ownLayers);
  std::fill(values_.begin(), values_.end(), 0);
  std::fill(highest_.begin(), highest_.end(), 0);
}

void ObjectDensity::allocateForRows(const std::vector<int>& layerOfKind) {
  layerOfKind_ = layerOfKind;
  layerCount_ = 0;
  for (int layer : layerOfKind_)
    layerCount_ = std::max(layerCount_, layer + 1);
  std::size_t pixels = std::size_t{kBitmapSide} * kBitmapSide;
  values_.clear();
  values_.resize(pixels * static_cast<std::size_t>(layerCount_));
  highest_.clear();
  highest_.resize(pixels);
}

void ObjectDensity::release() {
  layerOfKind_.clear();
  layerCount_ = 0;
  values_ = LargeArray<std::uint8_t>();
  highest_ = LargeArray<std::uint8_t>();
}

void ObjectDensity::setRow(int kind, int y, const std::uint8_t* row) {
  const std::size_t layers = static_cast<std::size_t>(layerCount_);
  std::copy_n(
      row, kBitmapSide,
      values_.data() + (PixelIndex(0, y) * layers) + layerIndex(kind) * std::size_t{kBitmapSide});
}

namespace {

// One row's layers, stored one after another in `byLayer`, side by side in
// `row`, and each pixel's highest density in `highest`.
void InterleaveRowPortable(const std::uint8_t* byLayer, std::size_t layers, std::uint8_t* row,
                           std::uint8_t* highest) {
  for (std::size_t x = 0; x < kBitmapSide; ++x) {
    std::uint8_t top = 0;
    for (std::size_t layer = 0; layer < layers; ++layer) {
      const std::uint8_t value = byLayer[layer * kBitmapSide + x];
      row[x * layers + layer] = value;
      top = std::max(top, value);
    }
    highest[x] = top;
  }
}

#if defined(BRACKWYN_X86_PERMUTE)
static_assert(kBitmapSide % 64 == 0);

constexpr std::size_t kMostPermutedLayers = 8;

// For 64 pixels of `layers` layers: output vector j's byte p holds layer
// (64 j + p) % layers of pixel (64 j + p) / layers. Each layer's bytes of a
// vector are picked from its 64 samples by one masked byte permute.
class InterleavePermutes {
 public:
  explicit InterleavePermutes(std::size_t layers) : layers_(layers) {
    for (std::size_t j = 0; j < layers; ++j) {
      for (std::size_t p = 0; p < 64; ++p) {
        const std::size_t at = 64 * j + p;
        const std::size_t layer = at % layers;
        indices_[j][layer][p] = static_cast<std::uint8_t>(at / layers);
        masks_[j][layer] |= std::uint64_t{1} << p;
      }
    }
  }

  __attribute__((target("avx512f,avx512bw,avx512vbmi"))) void interleave(
      const std::uint8_t* byLayer, std::uint8_t* row, std::uint8_t* highest) const {
    for (std::size_t x = 0; x < kBitmapSide; x += 64) {
      __m512i samples[kMostPermutedLayers];
      __m512i top = _mm512_setzero_si512();
      for (std::size_t layer = 0; layer < layers_; ++layer) {
        samples[layer] = _mm512_loadu_si512(byLayer + layer * kBitmapSide + x);
        top = _mm512_max_epu8(top, samples[layer]);
      }
      _mm512_storeu_si512(highest + x, top);
      for (std::size_t j = 0; j < layers_; ++j) {
        __m512i out = _mm512_setzero_si512();
        for (std::size_t layer = 0; layer < layers_; ++layer) {
          out = _mm512_mask_permutexvar_epi8(
              out, masks_[j][layer], _mm512_loadu_si512(indices_[j][layer].data()), samples[layer]);
        }
        _mm512_storeu_si512(row + x * layers_ + 64 * j, out);
      }
    }
  }

 private:
  std::size_t layers_;
  std::array<std::array<std::array<std::uint8_t, 64>, kMostPermutedLayers>, kMostPermutedLayers>
      indices_{};
  std::array<std::array<std::uint64_t, kMostPermutedLayers>, kMostPermutedLayers> masks_{};
};

// The same for processors without VBMI, whose byte shuffles stay within 16
// bytes: for 16 pixels, output block j's byte p holds layer (16 j + p) % layers
// of pixel (16 j + p) / layers, picked from each layer's 16 samples by one
// shuffle that zeroes the bytes of the other layers. Each half of a 32-byte
// vector does this for its own 16 pixels.
class InterleaveShuffles {
 public:
  explicit InterleaveShuffles(std::size_t layers) : layers_(layers) {
    constexpr std::uint8_t kZero = 0x80;
    for (auto& block : indices_) {
      for (auto& layer : block)
        layer.fill(kZero);
    }
    for (std::size_t j = 0; j < layers; ++j) {
      for (std::size_t p = 0; p < 16; ++p) {
        const std::size_t at = 16 * j + p;
        auto& index = indices_[j][at % layers];
        index[p] = index[p + 16] = static_cast<std::uint8_t>(at / layers);
      }
    }
  }

  __attribute__((target("avx2"))) void interleave(const std::uint8_t* byLayer, std::uint8_t* row,
                                                  std::uint8_t* highest) const {
    for (std::size_t x = 0; x < kBitmapSide; x += 32) {
      __m256i samples[kMostPermutedLayers];
      __m256i top = _mm256_setzero_si256();
      for (std::size_t layer = 0; layer < layers_; ++layer) {
        samples[layer] =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(byLayer + layer * kBitmapSide + x));
        top = _mm256_max_epu8(top, samples[layer]);
      }
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(highest + x), top);
      std::uint8_t* low = row + x * layers_;
      std::uint8_t* high = low + 16 * layers_;
      for (std::size_t j = 0; j < layers_; ++j) {
        __m256i out = _mm256_setzero_si256();
        for (std::size_t layer = 0; layer < layers_; ++layer) {
          const __m256i index =
              _mm256_loadu_si256(reinterpret_cast<const __m256i*>(indices_[j][layer].data()));
          out = _mm256_or_si256(out, _mm256_shuffle_epi8(samples[layer], index));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(low + 16 * j), _mm256_castsi256_si128(out));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(high + 16 * j),
                         _mm256_extracti128_si256(out, 1));
      }
    }
  }

 private:
  std::size_t layers_;
  std::array<std::array<std::array<std::uint8_t, 32>, kMostPermutedLayers>, kMostPermutedLayers>
      indices_{};
};
#endif

}  // namespace

const char* DensityInterleaveInstructionSet() {
  return VbmiAvx2OrPortableName();
}

void ObjectDensity::interleaveRows(int begin, int end) {
  const std::size_t layers = static_cast<std::size_t>(layerCount_);
  std::vector<std::uint8_t> byLayer(layers * kBitmapSide);
#if defined(BRACKWYN_X86_PERMUTE)
  static const bool vbmi = HasAvx512Vbmi();
  static const bool avx2 = HasAvx2();
  std::optional<InterleavePermutes> permutes;
  std::optional<InterleaveShuffles> shuffles;
  if (layers >= 2 && layers <= kMostPermutedLayers) {
    if (vbmi)
      permutes.emplace(layers);
    else if (avx2)
      shuffles.emplace(layers);
  }
#endif
  for (int y = begin; y < end; ++y) {
    std::uint8_t* row = values_.data() + PixelIndex(0, y) * layers;
    std::uint8_t* highest = highest_.data() + PixelIndex(0, y);
    std::copy_n(row, byLayer.size(), byLayer.data());
#if defined(BRACKWYN_X86_PERMUTE)
    if (permutes) {
      permutes->interleave(byLayer.data(), row, highest);
      continue;
    }
    if (shuffles) {
      shuffles->interleave(byLayer.data(), row, highest);
      continue;
    }
#endif
    InterleaveRowPortable(byLayer.data(), layers, row, highest);
  }
}

namespace {

// The first kind before `kind` with the same density bitmap, or 0.
int EarlierKindWithBitmap(const ObjectPalette& palette, int kind) {
  for (int earlier = 1; earlier < kind; ++earlier) {
    if (palette.kind(earlier).bitmapFile == palette.kind(kind).bitmapFile)
      return earlier;
  }
  return 0;
}

// One layer per distinct bitmap, in the order of the kinds that first name it.
std::vector<int> LayersOf(const ObjectPalette& palette) {
  std::vector<int> layerOfKind(static_cast<std::size_t>(palette.kindCount()));
  int layers = 0;
  for (int kind = 1; kind <= palette.kindCount(); ++kind) {
    const int same = EarlierKindWithBitmap(palette, kind);
    layerOfKind[static_cast<std::size_t>(kind - 1)] =
        same ? layerOfKind[static_cast<std::size_t>(same - 1)] : layers++;
  }
  return layerOfKind;
}

std::string LoadingCaption(int kind, int kindCount) {
  double percent = static_cast<double>(kind) / kindCount * 100;
  return " - Loading objects - " + std::to_string(static_cast<long long>(std::trunc(percent))) +
         "% Complete";
}

}  // namespace

std::string DensityBitmapRole(int kind, const ObjectKind& entry) {
  std::string line = entry.line > 0 ? ", line " + std::to_string(entry.line) : "";
  return "density bitmap of object kind " + std::to_string(kind) + " (\"" + entry.id + "\"" + line +
         ")";
}

void LoadObjectDensities(RunContext& run, ObjectDensity& density) {
  const ObjectPalette& palette = run.state.objectPalette;
  density.allocateForRows(LayersOf(palette));
  WorkerTeam team(ThreadCount());
  for (int kind = 1; kind <= palette.kindCount(); ++kind) {
    run.progress.ShowProgress(LoadingCaption(kind, palette.kindCount()));
    run.progress.YieldToUI();
    if (EarlierKindWithBitmap(palette, kind))
      continue;  // its layer is read already
    const ObjectKind& entry = palette.kind(kind);
    std::string role = DensityBitmapRole(kind, entry);
    const std::filesystem::path path = run.state.resolve(entry.bitmapFile);
    GrayBitmapReader first(path, role);  // a bad file is refused before any thread starts
    team.forEach(kBitmapSide, [&](int begin, int end) {
      std::optional<GrayBitmapReader> own;
      GrayBitmapReader& bitmap = begin == 0 ? first : own.emplace(path, role);
      std::array<std::uint8_t, kBitmapSide> samples;
      for (int y = begin; y < end; ++y) {
        bitmap.sampleRow(y, samples.data());
        density.setRow(kind, y, samples.data());
      }
    });
  }
  team.forEach(kBitmapSide, [&](int begin, int end) { density.interleaveRows(begin, end); });
}

}  // namespace brackwyn
