// The LAND record of one cell: its grid position, vertex heights and vertex
// colours, normals and world-map heights computed or left zero, and, when the
// land is textured, its texture squares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "land/cell_normals.hpp"
#include "model/land_data.hpp"
#include "model/land_textures.hpp"
#include "plugin/cell_record.hpp"
#include "plugin/record_writer.hpp"

namespace brackwyn {

inline constexpr std::size_t kLandIntvBytes = 8;
inline constexpr std::size_t kLandDataBytes = 4;
inline constexpr std::size_t kVhgtPaddingBytes = 3;
inline constexpr std::size_t kVhgtDataBytes =
    sizeof(float) + std::size_t{kVerticesPerCell} + kVhgtPaddingBytes;

inline constexpr std::size_t kLandRecordDataBytes =
    (kSubRecordHeaderBytes + kLandIntvBytes) + (kSubRecordHeaderBytes + kLandDataBytes) +
    (kSubRecordHeaderBytes + kVertexNormalBytes) + (kSubRecordHeaderBytes + kVhgtDataBytes) +
    (kSubRecordHeaderBytes + kWorldMapHeightBytes) + (kSubRecordHeaderBytes + kCellColorBytes);
inline constexpr std::size_t kLandRecordBytes = kRecordHeaderBytes + kLandRecordDataBytes;

inline constexpr std::size_t kLandTextureBytes = kTextureSquaresPerCell * 2;  // 512
inline constexpr std::size_t kTexturedLandRecordBytes =
    kLandRecordBytes + kSubRecordHeaderBytes + kLandTextureBytes;

static_assert(kVhgtDataBytes == 4232);
static_assert(kLandRecordDataBytes == 29723);
static_assert(kLandRecordBytes == 29739);
static_assert(kTexturedLandRecordBytes == 30259);

// Appends the cell's whole LAND record, read from `heights` and `colors` at
// the cell's index; normals and map heights from `normals`, or zeros without.
// `textureSquares` are the cell's squares (LandTextures::cell); empty for land
// without textures.
void WriteLandRecord(RecordWriter& out, CellPosition cell, const CellHeights& heights,
                     const CellColors& colors, const CellNormals* normals = nullptr,
                     std::span<const std::uint16_t> textureSquares = {});

}  // namespace brackwyn
