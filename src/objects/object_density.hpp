// ObjectDensity: every kind's density bitmap sampled into one grid that lives
// for the object stage only. The layers of one pixel sit side by side, because
// placement consults all of them at every pixel; kinds that name the same
// bitmap (variants of a rock, say) share a layer. A second grid keeps each
// pixel's highest density so that pixels where no kind can be placed are
// skipped at a glance.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/large_array_allocator.hpp"
#include "core/units.hpp"
#include "model/run_state.hpp"

namespace brackwyn {

class ObjectDensity {
 public:
  // All densities 0, every kind with a layer of its own.
  void allocate(int kindCount);
  // Densities unset, for a loader that sets every row of every layer and
  // then interleaves every row. Kind k reads layer layerOfKind[k - 1]; kinds
  // with the same bitmap share one.
  void allocateForRows(const std::vector<int>& layerOfKind);
  void release();

  int kindCount() const { return static_cast<int>(layerOfKind_.size()); }
  int layerCount() const { return layerCount_; }
  // The layer each kind reads, by kind index (kind - 1).
  const std::vector<int>& layerOfKind() const { return layerOfKind_; }

  // Stores the samples of bitmap row y, row[0..3327], as the densities of
  // `kind` (1-based) and of every kind sharing its layer. A row keeps its
  // layers one after another, each written in one piece, until it is
  // interleaved: a loader that wrote each layer straight into its pixels'
  // places would pass over the whole grid once per layer.
  void setRow(int kind, int y, const std::uint8_t* row);
  // Puts the layers of rows [begin, end) side by side, pixel by pixel, and
  // sets their highest densities; once every layer of those rows is set.
  void interleaveRows(int begin, int end);

  // Sets one density of a freshly allocated grid (densities only rise here).
  void set(int kind, int x, int y, std::uint8_t value) {
    values_[PixelIndex(x, y) * static_cast<std::size_t>(layerCount_) + layerIndex(kind)] = value;
    highest_[PixelIndex(x, y)] = std::max(highest_[PixelIndex(x, y)], value);
  }

  // The densities of layers 0..layerCount - 1 at pixel (x, y), in layer order.
  const std::uint8_t* pixel(int x, int y) const {
    return values_.data() + PixelIndex(x, y) * static_cast<std::size_t>(layerCount_);
  }
  std::uint8_t at(int kind, int x, int y) const { return pixel(x, y)[layerIndex(kind)]; }
  std::uint8_t highest(int x, int y) const { return highest_[PixelIndex(x, y)]; }
  // The highest densities of pixel row y, pixels 0..3327.
  const std::uint8_t* highestOfRow(int y) const { return highest_.data() + PixelIndex(0, y); }

 private:
  static std::size_t PixelIndex(int x, int y) {
    return static_cast<std::size_t>(y) * kBitmapSide + static_cast<std::size_t>(x);
  }
  std::size_t layerIndex(int kind) const {
    return static_cast<std::size_t>(layerOfKind_[static_cast<std::size_t>(kind - 1)]);
  }

  std::vector<int> layerOfKind_;
  int layerCount_ = 0;
  LargeArray<std::uint8_t> values_;
  LargeArray<std::uint8_t> highest_;
};

// Loads the density bitmap of every kind of run.state.objectPalette, in kind
// order, with the loading caption before each; each bitmap's rows are split
// across the threads. Throws RunError naming the kind and file when a bitmap
// cannot be read.
void LoadObjectDensities(RunContext& run, ObjectDensity& density);

// What this processor interleaves the densities of two to eight bitmaps with
// (other counts are portable C++), for benchmarks to name.
const char* DensityInterleaveInstructionSet();

// How messages name the density bitmap of kind number `kind`.
std::string DensityBitmapRole(int kind, const ObjectKind& entry);

}  // namespace brackwyn
