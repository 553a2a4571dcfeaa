// The plugin file, front to back. Records are framed by RecordWriter (tag,
// 32-bit data size, a zero field, zero flags; sub-records: tag, 32-bit data
// size, data); every number is little-endian, text is one byte a character.
//
//   TES3 header record, 349 + n bytes for a master name of n characters:
//     offset 0    record header, size 333 + n
//            16   "HEDR", 300
//            24   version 1.2 (float), 28 file type 0 (plugin),
//            32   author (32 zeros), 64 description (256 zeros),
//            320  record count: records after the header, a placeholder of
//                 four blanks until the last cell is written
//            324  "MAST", n + 1: the master's file name with a closing zero
//            333 + n  "DATA", 8: the master's length, 64-bit
//   STAT records, one per object kind, only when objects are on (checked)
//   LTEX records, one per used land texture, only when the land is textured
//   (land_texture_records.cpp)
//   per cell, index 0 to 2703: CELL (cell_record.cpp) then LAND
//   (land_record.cpp); 45 + 29739 bytes a cell without objects. With
//   "Leave Out Open-Sea Cells" a cell all at the sea floor (-2048 units as
//   the game decodes it) without references has neither, so that other
//   plugins' land shows there; the record count leaves it out too.
//
// The master's length fills all 64 bits, so a master of 2 GiB or more gets its
// true length; for smaller masters the bytes are the same as a 32-bit length
// followed by four zeros.
//
// The file is built beside the target and renamed over it only when complete,
// so a run that fails or is abandoned leaves the previous plugin as it was.
// The run refuses a plugin that is its master (pipeline/run_files.cpp).
#include "plugin/create_esp.hpp"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/positioned_file.hpp"
#include "core/replacing_file.hpp"
#include "core/run_error.hpp"
#include "core/sequence_ahead.hpp"
#include "core/thread_count.hpp"
#include "core/wait_timers.hpp"
#include "core/whole_file.hpp"
#include "land/cell_normals.hpp"
#include "model/control_names.hpp"
#include "model/decoded_heights.hpp"
#include "plugin/cell_record.hpp"
#include "plugin/header_record.hpp"
#include "plugin/land_record.hpp"
#include "plugin/land_texture_records.hpp"
#include "plugin/object_records.hpp"
#include "plugin/record_writer.hpp"

namespace brackwyn {
namespace {

constexpr char kPluginRole[] = "plugin file (txtESP)";
constexpr char kMasterRole[] = "master file (txtESM)";

// Objects off (0), on (1) or grayed (2): statics need 1, references any but 0.
int CreateObjectsState(const RunContext& run) {
  return run.window.state(control::chkCreateObjects);
}

void RequireLandData(const RunState& state) {
  const auto cells = static_cast<std::size_t>(kCellCount);
  if (state.cellHeights.baseHeight.size() < cells ||
      state.cellHeights.heightSteps.size() < cells * kVerticesPerCell ||
      state.cellColors.bytes.size() < cells * kCellColorBytes ||
      (!state.landTextures.empty() &&
       state.landTextures.squares.size() < cells * kTextureSquaresPerCell)) {
    throw std::logic_error("CreateESP needs the heights, colours and textures of every cell");
  }
}

std::string ProgressText(int cellIndex) {
  auto percent = static_cast<int>(static_cast<double>(cellIndex) / (kCellCount - 1) * 100);
  return " - Writing Brackwyn.ESP - " + std::to_string(percent) + "% Complete";
}

// The header record and, when objects are on, the statics behind it, then the
// land textures. Returns the number of STAT and LTEX records written.
std::int32_t BuildHeaderAndStatics(RunContext& run, std::uint64_t masterLength, int createObjects,
                                   RecordWriter& out) {
  WriteHeaderRecord(out, MasterNameInPlugin(run.window.text(control::txtESM)), masterLength);
  std::int32_t records = 0;
  if (createObjects == 1)
    records += WriteStaticsBlock(run.state.objectPalette, out);
  return records + WriteLandTextureRecords(run.state.landTextures, out);
}

// Where a cell's references lie in its encoded records.
struct ReferenceBlock {
  std::size_t start = 0;
  std::size_t end = 0;
};

// The cell's CELL record, with its references when objects are not off, and
// its LAND record (with normals when `normals` is set), built in `out`.
// References draw from `random`. Runs on the encoding thread, so it never
// reads the window: a setting it needs is read by CreateESP and passed in;
// EncodedCells encodes again when a live one differs from the one the cells
// ahead were encoded with.
ReferenceBlock BuildCell(RunContext& run, CellPosition cell, int createObjects,
                         std::unique_ptr<CellReferenceWriter>& references,
                         std::optional<CellNormalsCalculator>& normals, RandomStream& random,
                         std::vector<PlacedObject>& placed, RecordWriter& out) {
  out.clear();
  StartCellRecord(out, cell);
  ReferenceBlock block;
  if (createObjects != 0) {
    if (!references)
      references = std::make_unique<CellReferenceWriter>(run);
    block.start = references->encodeCell(cell.column(), cell.row(), out, random, placed);
    block.end = out.size();
  }
  out.endRecord();
  const CellNormals* cellNormals = normals ? &normals->compute(cell.index) : nullptr;
  WriteLandRecord(out, cell, run.state.cellHeights, run.state.cellColors, cellNormals,
                  run.state.landTextures.cell(cell.index));
  return block;
}

struct EncodedCell {
  int createObjects = 0;
  std::uint64_t drawsBefore = 0;
  RandomStream randomAfter;
  ReferenceBlock references;
  std::vector<PlacedObject> placed;  // joins the run's list only when the cell is written
  RecordWriter records;
};

// Cells are encoded on a second thread while this one writes them, assuming
// the object check box keeps its state; a cell asked for under another state
// or from another position of the random stream is encoded again. Writing
// the scratch file of references stays with the writing thread, in order.
class EncodedCells {
 public:
  EncodedCells(RunContext& run, int threads, bool normals) : run_(run), threaded_(threads >= 2) {
    if (normals)
      normals_.emplace(run.state.cellHeights);
  }

  // Cell `index` encoded under `createObjects`, its references kept, the
  // run's random stream moved past them.
  const RecordWriter& take(int index, int createObjects) {
    if (!encodesAhead(createObjects)) {
      ahead_.stop();
      encode(index, createObjects, run_.state.random, *current_);
    } else {
      if (!ahead_.running() || aheadState_ != createObjects || ahead_.next() != index)
        start(index, createObjects);
      std::unique_ptr<EncodedCell> cell = ahead_.take();
      if (cell->drawsBefore != run_.state.random.position()) {
        start(index, createObjects);
        cell = ahead_.take();
      }
      ahead_.recycle(std::move(current_));
      current_ = std::move(cell);
      run_.state.random = current_->randomAfter;
    }
    const ReferenceBlock& block = current_->references;
    lastHasReferences_ = block.end > block.start;
    if (current_->createObjects != 0) {
      references_->keepInReferencesFile(current_->records.bytes().data() + block.start,
                                        block.end - block.start);
      std::vector<PlacedObject>& placed = run_.state.placedObjects;
      placed.insert(placed.end(), current_->placed.begin(), current_->placed.end());
    }
    return current_->records;
  }

  // Whether the cell last taken holds references.
  bool lastHasReferences() const { return lastHasReferences_; }

 private:
  // Deep enough to ride out a cell dense with references.
  static constexpr std::size_t kCellsAhead = 8;

  // A cell with neither references nor normals is mostly copied: it takes
  // less to encode here than to hand over from the other thread, which the
  // plugin file's write-back keeps busy.
  bool encodesAhead(int createObjects) const {
    return threaded_ && (createObjects != 0 || normals_);
  }

  void encode(int index, int createObjects, RandomStream& random, EncodedCell& cell) {
    cell.createObjects = createObjects;
    cell.drawsBefore = random.position();
    cell.placed.clear();
    const RunParameters& parameters = run_.state.parameters;
    cell.references =
        BuildCell(run_, CellPosition{index, parameters.worldX, parameters.worldY}, createObjects,
                  references_, normals_, random, cell.placed, cell.records);
    cell.randomAfter = random;
  }

  void start(int index, int createObjects) {
    aheadState_ = createObjects;
    ahead_.start(index, kCellCount - 1,
                 [this, createObjects, random = run_.state.random](
                     int i, EncodedCell& cell) mutable { encode(i, createObjects, random, cell); });
  }

  RunContext& run_;
  const bool threaded_;
  std::unique_ptr<CellReferenceWriter> references_;  // made when first needed
  std::optional<CellNormalsCalculator> normals_;
  std::unique_ptr<EncodedCell> current_ = std::make_unique<EncodedCell>();
  int aheadState_ = 0;
  bool lastHasReferences_ = false;
  // Last: stops before what it uses goes.
  SequenceAhead<EncodedCell> ahead_{kCellsAhead, WaitPlace::kCellTaken, WaitPlace::kCellsAheadFull};
};

// The cells whose decoded heights are all at the sea floor, -2048 units.
std::vector<bool> OpenSeaCells(const CellHeights& heights) {
  std::vector<bool> sea(kCellCount);
  std::vector<std::int32_t> decoded(kVerticesPerCell);
  for (int cell = 0; cell < kCellCount; ++cell) {
    DecodeCellHeights(heights, cell, decoded.data());
    sea[static_cast<std::size_t>(cell)] =
        std::ranges::all_of(decoded, [](std::int32_t h) { return h == kBorderHeight; });
  }
  return sea;
}

}  // namespace

void CreateESP(RunContext& run) {
  run.progress.StartStage();
  RequireLandData(run.state);
  const RunParameters& parameters = run.state.parameters;
  auto pluginPath = run.state.resolve(parameters.pluginFileName);
  auto masterPath = run.state.resolve(parameters.masterFileName);
  MasterNameInPlugin(run.window.text(control::txtESM));  // refused before anything is written
  ReplacingFile plugin(pluginPath, kPluginRole, ReplacingFile::Sync::Behind);

  int createObjects = CreateObjectsState(run);
  run.state.placedObjects.clear();
  std::uint64_t masterLength = FileLengthCreatingIfMissing(masterPath, kMasterRole);
  RecordWriter out;  // the header and the statics
  std::int32_t recordCount = BuildHeaderAndStatics(run, masterLength, createObjects, out);
  plugin.append(out.bytes());

  // Read once: every cell of one plugin gets normals, or none does, and the
  // open sea is left out of all of it or none.
  EncodedCells cells(run, ThreadCount(), run.window.state(control::chkCreateNormals) != 0);
  std::vector<bool> leftOut;
  if (run.window.state(control::chkSkipSeaCells) != 0)
    leftOut = OpenSeaCells(run.state.cellHeights);
  for (int index = 0; index < kCellCount; ++index) {
    const RecordWriter& records = cells.take(index, createObjects);
    if (leftOut.empty() || !leftOut[static_cast<std::size_t>(index)] || cells.lastHasReferences()) {
      plugin.append(records.bytes());
      recordCount += 2;
    }
    run.progress.ShowProgress(ProgressText(index));
    if (run.progress.YieldToUI())
      createObjects = CreateObjectsState(run);
  }

  auto countBytes = EncodeInt32(recordCount);
  plugin.writeAt(kRecordCountFileOffset, countBytes.data(), countBytes.size());
  plugin.commit();
  run.progress.LogStageTime("CreateESP");
}

}  // namespace brackwyn
