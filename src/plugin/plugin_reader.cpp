// The records this reader understands, with the sizes it insists on (other
// sub-records are skipped, other records counted):
//
//   TES3  HEDR 300: version (float), file type, author (32), description
//         (256), record count; then per master a MAST (name, zero-ended)
//         optionally followed by DATA 8 (its size, 64-bit)
//   CELL  NAME, DATA 12 (flags, grid X, grid Y; flag 1 = interior), then per
//         reference FRMR 4 followed by its NAME, XSCL 4 and DATA 24
//   LAND  INTV 8 (grid X, grid Y), VNML 12675, VHGT 4232 (base height as a
//         float, 4225 steps, 3 padding bytes), VCLR 12675
//
// Numbers are little-endian. Offsets in messages count from the start of the
// file, so a modder can find the spot in a hex editor.
#include "plugin/plugin_reader.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "core/units.hpp"
#include "core/whole_file.hpp"

namespace brackwyn {
namespace {

constexpr std::size_t kRecordHeader = 16;
constexpr std::size_t kSubHeader = 8;
constexpr std::size_t kHedrBytes = 300;
constexpr std::size_t kNormalsBytes = std::size_t{kVerticesPerCell} * 3;
constexpr std::size_t kHeightsBytes = 4 + std::size_t{kVerticesPerCell} + 3;
constexpr std::size_t kColorsBytes = std::size_t{kVerticesPerCell} * 3;

std::uint32_t U32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}
std::int32_t I32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(U32(p));
}
float F32(const std::uint8_t* p) {
  return std::bit_cast<float>(U32(p));
}
std::uint64_t U64(const std::uint8_t* p) {
  return std::uint64_t{U32(p)} | std::uint64_t{U32(p + 4)} << 32;
}

// Printable as it stands, anything else as \xNN, so a corrupt tag still reads.
std::string ShowTag(const std::uint8_t* p, std::size_t size) {
  std::string text;
  for (std::size_t i = 0; i < size; ++i) {
    if (p[i] >= 0x20 && p[i] < 0x7F) {
      text += static_cast<char>(p[i]);
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      text += "\\x";
      text += kHex[p[i] >> 4];
      text += kHex[p[i] & 15];
    }
  }
  return text;
}

// Text up to its first zero byte.
std::string ZText(std::span<const std::uint8_t> data) {
  auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
  return std::string(data.begin(), end);
}

std::string Quoted(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted.push_back('"');
  quoted.append(text);
  quoted.push_back('"');
  return quoted;
}

struct SubRecord {
  std::string tag;
  std::size_t offset;  // of its header
  std::span<const std::uint8_t> data;
};

class Reader {
 public:
  Reader(std::span<const std::uint8_t> bytes, std::string_view fileName)
      : bytes_(bytes), file_(Quoted(fileName)) {}

  PluginContents read();

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw PluginReadError(file_ + ": " + what);
  }
  std::string recordName() const {
    return "the " + tag_ + " record at byte " + std::to_string(recordStart_);
  }
  [[noreturn]] void failSub(const SubRecord& sub, const std::string& what) const {
    fail(recordName() + ": its " + sub.tag + " sub-record at byte " + std::to_string(sub.offset) +
         " " + what);
  }
  void requireSize(const SubRecord& sub, std::size_t expected) const {
    if (sub.data.size() != expected)
      failSub(sub, "holds " + std::to_string(sub.data.size()) + " bytes; it should hold " +
                       std::to_string(expected) + ".");
  }
  void requireAtLeast(const SubRecord& sub, std::size_t expected) const {
    if (sub.data.size() < expected)
      failSub(sub, "holds " + std::to_string(sub.data.size()) + " bytes; it should hold at least " +
                       std::to_string(expected) + ".");
  }

  std::vector<SubRecord> readRecord(std::size_t at);
  void readHeader(const std::vector<SubRecord>& subs);
  void readCell(const std::vector<SubRecord>& subs);
  void readLand(const std::vector<SubRecord>& subs);

  std::span<const std::uint8_t> bytes_;
  std::string file_;
  PluginContents contents_;
  std::string tag_;
  std::size_t recordStart_ = 0;
  std::size_t recordEnd_ = 0;
};

std::vector<SubRecord> Reader::readRecord(std::size_t at) {
  recordStart_ = at;
  const std::size_t left = bytes_.size() - at;
  tag_ = ShowTag(bytes_.data() + at, std::min<std::size_t>(left, 4));
  if (left < kRecordHeader) {
    fail("the file ends at byte " + std::to_string(bytes_.size()) + ", inside the header of " +
         recordName() + " (a record header is 16 bytes).");
  }
  const std::uint64_t size = U32(bytes_.data() + at + 4);
  if (size > left - kRecordHeader) {
    fail("the file ends at byte " + std::to_string(bytes_.size()) + ", inside " + recordName() +
         ", which says it holds " + std::to_string(size) + " bytes after its header (up to byte " +
         std::to_string(at + kRecordHeader + size) + "). The file is truncated or corrupt.");
  }
  recordEnd_ = at + kRecordHeader + static_cast<std::size_t>(size);
  std::vector<SubRecord> subs;
  for (std::size_t p = at + kRecordHeader; p < recordEnd_;) {
    if (recordEnd_ - p < kSubHeader) {
      fail(recordName() + " ends at byte " + std::to_string(recordEnd_) +
           " inside the header of a sub-record at byte " + std::to_string(p) + ".");
    }
    SubRecord sub{ShowTag(bytes_.data() + p, 4), p, {}};
    const std::uint64_t dataSize = U32(bytes_.data() + p + 4);
    if (dataSize > recordEnd_ - p - kSubHeader) {
      failSub(sub, "says it holds " + std::to_string(dataSize) +
                       " bytes, past the end of the record at byte " + std::to_string(recordEnd_) +
                       ".");
    }
    sub.data = bytes_.subspan(p + kSubHeader, static_cast<std::size_t>(dataSize));
    p += kSubHeader + static_cast<std::size_t>(dataSize);
    subs.push_back(std::move(sub));
  }
  return subs;
}

void Reader::readHeader(const std::vector<SubRecord>& subs) {
  PluginHeader& header = contents_.header;
  bool hedr = false;
  for (const SubRecord& sub : subs) {
    if (sub.tag == "HEDR") {
      requireSize(sub, kHedrBytes);
      const std::uint8_t* p = sub.data.data();
      header.version = F32(p);
      header.fileType = I32(p + 4);
      header.author = ZText(sub.data.subspan(8, 32));
      header.description = ZText(sub.data.subspan(40, 256));
      header.recordCount = I32(p + 296);
      hedr = true;
    } else if (sub.tag == "MAST") {
      header.masters.push_back({ZText(sub.data), std::nullopt});
    } else if (sub.tag == "DATA" && !header.masters.empty() && !header.masters.back().size) {
      requireSize(sub, 8);
      header.masters.back().size = U64(sub.data.data());
    }
  }
  if (!hedr)
    fail(recordName() + " has no HEDR sub-record.");
}

void Reader::readCell(const std::vector<SubRecord>& subs) {
  PluginCell cell;
  cell.offset = recordStart_;
  bool data = false;
  PluginReference* reference = nullptr;
  for (const SubRecord& sub : subs) {
    if (sub.tag == "FRMR") {
      requireSize(sub, 4);
      reference = &cell.references.emplace_back();
      reference->offset = sub.offset;
      reference->number = I32(sub.data.data());
    } else if (reference == nullptr) {
      if (sub.tag == "NAME") {
        cell.name = ZText(sub.data);
      } else if (sub.tag == "DATA") {
        requireSize(sub, 12);
        cell.flags = U32(sub.data.data());
        cell.gridX = I32(sub.data.data() + 4);
        cell.gridY = I32(sub.data.data() + 8);
        data = true;
      }
    } else if (sub.tag == "NAME") {
      reference->id = ZText(sub.data);
    } else if (sub.tag == "XSCL") {
      requireSize(sub, 4);
      reference->scale = F32(sub.data.data());
    } else if (sub.tag == "DATA") {
      requireSize(sub, 24);
      std::array<float, 6> placement;
      for (std::size_t i = 0; i < placement.size(); ++i)
        placement[i] = F32(sub.data.data() + 4 * i);
      reference->placement = placement;
    }
  }
  if (!data)
    fail(recordName() + " has no DATA sub-record, so its grid position is unknown.");
  contents_.cells.push_back(std::move(cell));
}

void Reader::readLand(const std::vector<SubRecord>& subs) {
  PluginLand land;
  land.offset = recordStart_;
  bool intv = false;
  for (const SubRecord& sub : subs) {
    land.subRecords.push_back(sub.tag);
    if (sub.tag == "INTV") {
      requireSize(sub, 8);
      land.gridX = I32(sub.data.data());
      land.gridY = I32(sub.data.data() + 4);
      intv = true;
    } else if (sub.tag == "VNML") {
      requireSize(sub, kNormalsBytes);
      land.hasNormals = true;
      static constexpr std::array<std::uint8_t, kNormalsBytes> kZeros{};
      land.normalsAllZero = std::memcmp(sub.data.data(), kZeros.data(), kNormalsBytes) == 0;
    } else if (sub.tag == "VHGT") {
      requireSize(sub, kHeightsBytes);
      land.baseHeight = F32(sub.data.data());
      land.heightSteps.assign(sub.data.begin() + 4, sub.data.begin() + 4 + kVerticesPerCell);
    } else if (sub.tag == "VCLR") {
      requireSize(sub, kColorsBytes);
      land.colors.assign(sub.data.begin(), sub.data.end());
    }
  }
  if (!intv)
    fail(recordName() + " has no INTV sub-record, so its cell is unknown.");
  contents_.lands.push_back(std::move(land));
}

PluginContents Reader::read() {
  contents_.fileSize = bytes_.size();
  if (bytes_.size() < 4 || std::memcmp(bytes_.data(), "TES3", 4) != 0) {
    fail("this is not a plugin: it does not begin with a TES3 header record (byte 0 holds \"" +
         ShowTag(bytes_.data(), std::min<std::size_t>(bytes_.size(), 4)) + "\").");
  }
  for (std::size_t at = 0; at < bytes_.size(); at = recordEnd_) {
    std::vector<SubRecord> subs = readRecord(at);
    if (at == 0)
      readHeader(subs);
    else if (tag_ == "CELL")
      readCell(subs);
    else if (tag_ == "LAND")
      readLand(subs);
    ++contents_.recordCounts[tag_];
  }
  return std::move(contents_);
}

}  // namespace

bool PluginLand::has(std::string_view tag) const {
  return std::find(subRecords.begin(), subRecords.end(), tag) != subRecords.end();
}

PluginContents ReadPlugin(std::span<const std::uint8_t> bytes, std::string_view fileName) {
  return Reader(bytes, fileName).read();
}

PluginContents ReadPluginFile(const std::filesystem::path& path) {
  std::vector<std::uint8_t> bytes = ReadWholeFile(path, "plugin");
  return ReadPlugin(bytes, path.string());
}

}  // namespace brackwyn
