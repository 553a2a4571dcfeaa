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
//   STAT  NAME (its ID)
//
// Numbers are little-endian. Offsets in messages count from the start of the
// file, so a modder can find the spot in a hex editor.
#include "plugin/plugin_reader.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "core/positioned_file.hpp"
#include "core/units.hpp"

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

// The plugin's bytes: a span in memory, or the file read through a window of
// a few blocks, so that a file of any size needs no more memory than that.
class Source {
 public:
  explicit Source(std::span<const std::uint8_t> bytes) : memory_(bytes), size_(bytes.size()) {}
  explicit Source(const PositionedFile& file) : file_(&file), size_(file.size()) {}

  std::uint64_t size() const { return size_; }

  // The `n` bytes at `offset`, inside the file; valid until the next call.
  // Empty when the file has become shorter meanwhile.
  std::span<const std::uint8_t> at(std::uint64_t offset, std::size_t n) {
    if (file_ == nullptr)
      return memory_.subspan(static_cast<std::size_t>(offset), n);
    if (offset < windowStart_ || offset + n > windowStart_ + windowSize_) {
      window_.resize(std::max(n, kWindowBytes));
      windowStart_ = offset;
      windowSize_ = file_->readUpTo(window_.data(), window_.size(), offset);
      if (windowSize_ < n)
        return {};
    }
    return std::span(window_.data() + (offset - windowStart_), n);
  }

 private:
  static constexpr std::size_t kWindowBytes = std::size_t{1} << 20;

  std::span<const std::uint8_t> memory_;
  const PositionedFile* file_ = nullptr;
  std::uint64_t size_ = 0;
  std::vector<std::uint8_t> window_;
  std::uint64_t windowStart_ = 0;
  std::size_t windowSize_ = 0;
};

struct SubRecord {
  std::string tag;
  std::uint64_t offset;  // of its header
  std::uint32_t size;    // of its data
};

class Reader {
 public:
  Reader(Source& source, std::string_view fileName) : source_(source), file_(Quoted(fileName)) {}

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
    if (sub.size != expected)
      failSub(sub, "holds " + std::to_string(sub.size) + " bytes; it should hold " +
                       std::to_string(expected) + ".");
  }
  void requireAtLeast(const SubRecord& sub, std::size_t expected) const {
    if (sub.size < expected)
      failSub(sub, "holds " + std::to_string(sub.size) + " bytes; it should hold at least " +
                       std::to_string(expected) + ".");
  }

  std::span<const std::uint8_t> bytes(std::uint64_t offset, std::size_t n) {
    std::span<const std::uint8_t> data = source_.at(offset, n);
    if (data.size() != n)
      fail("the file became shorter while it was read, at byte " + std::to_string(offset) + ".");
    return data;
  }
  // The sub-record's data, at most its first `limit` bytes: texts are shown
  // only so far.
  std::span<const std::uint8_t> data(const SubRecord& sub, std::size_t limit = SIZE_MAX) {
    return bytes(sub.offset + kSubHeader, std::min<std::size_t>(sub.size, limit));
  }
  std::string text(const SubRecord& sub) { return ZText(data(sub, kTextShown)); }

  void startRecord(std::uint64_t at);
  template <class Visit>
  void forEachSubRecord(Visit visit);
  void readHeader();
  void readCell();
  void readLand();
  void readStatic();
  void skipRecord();

  // Texts longer than this are cut: no name the game uses comes close.
  static constexpr std::size_t kTextShown = 4096;

  Source& source_;
  std::string file_;
  PluginContents contents_;
  std::string tag_;
  std::uint64_t recordStart_ = 0;
  std::uint64_t recordEnd_ = 0;
};

void Reader::startRecord(std::uint64_t at) {
  recordStart_ = at;
  const std::uint64_t left = source_.size() - at;
  std::span<const std::uint8_t> header =
      bytes(at, static_cast<std::size_t>(std::min<std::uint64_t>(left, kRecordHeader)));
  tag_ = ShowTag(header.data(), std::min<std::size_t>(header.size(), 4));
  if (left < kRecordHeader) {
    fail("the file ends at byte " + std::to_string(source_.size()) + ", inside the header of " +
         recordName() + " (a record header is 16 bytes).");
  }
  const std::uint64_t size = U32(header.data() + 4);
  if (size > left - kRecordHeader) {
    fail("the file ends at byte " + std::to_string(source_.size()) + ", inside " + recordName() +
         ", which says it holds " + std::to_string(size) + " bytes after its header (up to byte " +
         std::to_string(at + kRecordHeader + size) + "). The file is truncated or corrupt.");
  }
  if (size > kMaxPluginRecordBytes) {
    fail(recordName() + " says it holds " + std::to_string(size) + " bytes, more than the " +
         std::to_string(kMaxPluginRecordBytes >> 20) +
         " MiB any record may hold. The file is corrupt.");
  }
  recordEnd_ = at + kRecordHeader + size;
}

// Calls visit(sub) for each sub-record of the current record, in order, after
// checking that it lies inside the record.
template <class Visit>
void Reader::forEachSubRecord(Visit visit) {
  for (std::uint64_t p = recordStart_ + kRecordHeader; p < recordEnd_;) {
    if (recordEnd_ - p < kSubHeader) {
      fail(recordName() + " ends at byte " + std::to_string(recordEnd_) +
           " inside the header of a sub-record at byte " + std::to_string(p) + ".");
    }
    std::span<const std::uint8_t> header = bytes(p, kSubHeader);
    SubRecord sub{ShowTag(header.data(), 4), p, U32(header.data() + 4)};
    if (sub.size > recordEnd_ - p - kSubHeader) {
      failSub(sub, "says it holds " + std::to_string(sub.size) +
                       " bytes, past the end of the record at byte " + std::to_string(recordEnd_) +
                       ".");
    }
    p += kSubHeader + sub.size;
    visit(sub);
  }
}

void Reader::readHeader() {
  PluginHeader& header = contents_.header;
  bool hedr = false;
  forEachSubRecord([&](const SubRecord& sub) {
    if (sub.tag == "HEDR") {
      requireSize(sub, kHedrBytes);
      std::span<const std::uint8_t> d = data(sub);
      header.version = F32(d.data());
      header.fileType = I32(d.data() + 4);
      header.author = ZText(d.subspan(8, 32));
      header.description = ZText(d.subspan(40, 256));
      header.recordCount = I32(d.data() + 296);
      hedr = true;
    } else if (sub.tag == "MAST") {
      header.masters.push_back({text(sub), std::nullopt});
    } else if (sub.tag == "DATA" && !header.masters.empty() && !header.masters.back().size) {
      requireSize(sub, 8);
      header.masters.back().size = U64(data(sub).data());
    }
  });
  if (!hedr)
    fail(recordName() + " has no HEDR sub-record.");
}

void Reader::readCell() {
  PluginCell cell;
  cell.offset = static_cast<std::size_t>(recordStart_);
  bool hasData = false;
  PluginReference* reference = nullptr;
  forEachSubRecord([&](const SubRecord& sub) {
    if (sub.tag == "FRMR") {
      requireSize(sub, 4);
      reference = &cell.references.emplace_back();
      reference->offset = static_cast<std::size_t>(sub.offset);
      reference->number = I32(data(sub).data());
    } else if (reference == nullptr) {
      if (sub.tag == "NAME") {
        cell.name = text(sub);
      } else if (sub.tag == "DATA") {
        requireSize(sub, 12);
        std::span<const std::uint8_t> d = data(sub);
        cell.flags = U32(d.data());
        cell.gridX = I32(d.data() + 4);
        cell.gridY = I32(d.data() + 8);
        hasData = true;
      }
    } else if (sub.tag == "NAME") {
      reference->id = text(sub);
    } else if (sub.tag == "XSCL") {
      requireSize(sub, 4);
      reference->scale = F32(data(sub).data());
    } else if (sub.tag == "DATA") {
      requireSize(sub, 24);
      std::span<const std::uint8_t> d = data(sub);
      std::array<float, 6> placement;
      for (std::size_t i = 0; i < placement.size(); ++i)
        placement[i] = F32(d.data() + 4 * i);
      reference->placement = placement;
    }
  });
  if (!hasData)
    fail(recordName() + " has no DATA sub-record, so its grid position is unknown.");
  contents_.cells.push_back(std::move(cell));
}

void Reader::readLand() {
  PluginLand land;
  land.offset = static_cast<std::size_t>(recordStart_);
  bool intv = false;
  forEachSubRecord([&](const SubRecord& sub) {
    if (land.subRecords.size() < PluginLand::kListedSubRecords)
      land.subRecords.push_back(sub.tag);
    else
      ++land.unlistedSubRecords;
    if (sub.tag == "INTV") {
      requireSize(sub, 8);
      std::span<const std::uint8_t> d = data(sub);
      land.gridX = I32(d.data());
      land.gridY = I32(d.data() + 4);
      intv = true;
    } else if (sub.tag == "VNML") {
      requireSize(sub, kNormalsBytes);
      land.hasNormals = true;
      static constexpr std::array<std::uint8_t, kNormalsBytes> kZeros{};
      land.normalsAllZero = std::memcmp(data(sub).data(), kZeros.data(), kNormalsBytes) == 0;
    } else if (sub.tag == "VHGT") {
      requireSize(sub, kHeightsBytes);
      std::span<const std::uint8_t> d = data(sub);
      land.baseHeight = F32(d.data());
      land.heightSteps.assign(d.begin() + 4, d.begin() + 4 + kVerticesPerCell);
    } else if (sub.tag == "VCLR") {
      requireSize(sub, kColorsBytes);
      std::span<const std::uint8_t> d = data(sub);
      land.colors.assign(d.begin(), d.end());
    }
  });
  if (!intv)
    fail(recordName() + " has no INTV sub-record, so its cell is unknown.");
  contents_.lands.push_back(std::move(land));
}

void Reader::readStatic() {
  PluginStatic found;
  found.offset = static_cast<std::size_t>(recordStart_);
  forEachSubRecord([&](const SubRecord& sub) {
    if (sub.tag == "NAME")
      found.id = text(sub);
  });
  contents_.statics.push_back(std::move(found));
}

void Reader::skipRecord() {
  forEachSubRecord([](const SubRecord&) {});
}

PluginContents Reader::read() {
  contents_.fileSize = source_.size();
  std::span<const std::uint8_t> start =
      bytes(0, static_cast<std::size_t>(std::min<std::uint64_t>(source_.size(), 4)));
  if (start.size() < 4 || std::memcmp(start.data(), "TES3", 4) != 0) {
    fail("this is not a plugin: it does not begin with a TES3 header record (byte 0 holds \"" +
         ShowTag(start.data(), start.size()) + "\").");
  }
  for (std::uint64_t at = 0; at < source_.size(); at = recordEnd_) {
    startRecord(at);
    if (at == 0)
      readHeader();
    else if (tag_ == "CELL")
      readCell();
    else if (tag_ == "LAND")
      readLand();
    else if (tag_ == "STAT")
      readStatic();
    else
      skipRecord();  // its sub-records are still checked
    ++contents_.recordCounts[tag_];
  }
  return std::move(contents_);
}

}  // namespace

bool PluginLand::has(std::string_view tag) const {
  return std::find(subRecords.begin(), subRecords.end(), tag) != subRecords.end();
}

PluginContents ReadPlugin(std::span<const std::uint8_t> bytes, std::string_view fileName) {
  Source source(bytes);
  return Reader(source, fileName).read();
}

// Record by record: only the record being read is in memory, never the file.
PluginContents ReadPluginFile(const std::filesystem::path& path) {
  PositionedFile file(path, "plugin", platform::OpenMode::Read, "read");
  file.requireRegularFile("read");
  Source source(file);
  return Reader(source, path.string()).read();
}

}  // namespace brackwyn
