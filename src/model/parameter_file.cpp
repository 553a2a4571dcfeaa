// "Parameters.ini" is not a text file: it is 41 records of 128 bytes, one per
// editable setting, in the fixed order of kRecordOrder below (record n starts
// at byte 128 (n - 1)).
//
//   text record:  uint16 LE length L (at most 126), then L bytes of text in
//                 Windows-1252, the 8-bit character set the file has always
//                 used; the window holds UTF-8 and converts both ways.
//   state record: int16 LE check-box state, 0 unchecked, 1 checked, 2 grayed.
//
// Bytes after a record's data mean nothing; we write zeros and a full last
// record (5248 bytes), and read files that stop right after a record's data
// (3842 bytes for 31 records) too. The six fixed boxes have no record.
//
// Records 1 to 31 are the file as it was first defined. Every record after
// them is optional: a file that ends before it leaves its setting as it is,
// without a word, so older files load as before; a reader that knows fewer
// records ignores the rest.
//
// Save writes a whole new file beside the old one and renames it over, so a
// refused or failed save leaves the previous parameters intact. Load applies
// every record it can and reports, per setting, why it kept the current value
// (a file that ends early, a state no check box can take).
#include "model/parameter_file.hpp"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

#include "core/replacing_file.hpp"
#include "core/run_error.hpp"
#include "core/whole_file.hpp"
#include "core/windows_1252.hpp"

namespace brackwyn {
namespace {

constexpr std::size_t kRecordBytes = 128;
constexpr std::size_t kLengthBytes = 2;
constexpr std::size_t kMaxTextBytes = kRecordBytes - kLengthBytes;  // 126
constexpr std::string_view kRole = "parameter file";

constexpr std::array<std::string_view, 41> kRecordOrder = {
    "txtESM",
    "txtESP",
    "txtBitmapCoast",
    "txtBitmapInterior",
    "txtScaleInterior",
    "txtBitmapMountain",
    "txtScaleMountain",
    "chkCreateObjects",
    "txtObjectIndex",
    "txtObjectSeed",
    "txtObjectDivisor",
    "txtConfineObjectsX1",
    "txtConfineObjectsX2",
    "txtConfineObjectsY1",
    "txtConfineObjectsY2",
    "txtVCLR2Height",
    "txtVCLR2R",
    "txtVCLR2G",
    "txtVCLR2B",
    "txtVCLR3Height",
    "txtVCLR3R",
    "txtVCLR3G",
    "txtVCLR3B",
    "txtVCLR4Height",
    "txtVCLR4R",
    "txtVCLR4G",
    "txtVCLR4B",
    "txtVCLR5R",
    "txtVCLR5G",
    "txtVCLR5B",
    "chkCreateVCLR",
    "chkCreateNormals",
    "txtTextureIndex",
    "chkCreateTextures",
    "chkHeightmap",
    "txtHeightmap",
    "txtHeightmapLow",
    "txtHeightmapHigh",
    "txtWorldX",
    "txtWorldY",
    "chkSkipSeaCells",
};
constexpr std::size_t kRequiredRecords = 31;
constexpr std::size_t kFileBytes = kRecordBytes * kRecordOrder.size();  // 5248

bool IsStateRecord(std::string_view name) {
  return FindControl(name)->kind == ControlKind::CheckBox;
}

void PutLittleEndian16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint16_t GetLittleEndian16(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

[[noreturn]] void RefuseSave(std::string_view name, const std::string& why) {
  throw RunError("Cannot save the parameters: setting " + DescribeSetting(name) + " " + why + ". " +
                 kParameterFileName + " was left as it was.");
}

std::string EncodeForRecord(const WindowModel& window, std::string_view name) {
  Windows1252Text encoded = EncodeWindows1252(window.text(name));
  if (encoded.invalidUtf8)
    RefuseSave(name, "holds bytes that are not valid UTF-8 text");
  if (!encoded.ok()) {
    RefuseSave(name, "holds the character " + CodePointName(encoded.unencodable) +
                         ", which the parameter file's Windows-1252 character set cannot store");
  }
  if (encoded.bytes.size() > kMaxTextBytes) {
    RefuseSave(name, "is " + std::to_string(encoded.bytes.size()) +
                         " bytes long; the parameter file holds at most " +
                         std::to_string(kMaxTextBytes) + " bytes per setting");
  }
  return std::move(encoded.bytes);
}

void EncodeRecord(const WindowModel& window, std::string_view name, std::uint8_t* record) {
  if (IsStateRecord(name)) {
    PutLittleEndian16(record, static_cast<std::uint16_t>(window.state(name)));
    return;
  }
  std::string text = EncodeForRecord(window, name);
  PutLittleEndian16(record, static_cast<std::uint16_t>(text.size()));
  std::memcpy(record + kLengthBytes, text.data(), text.size());
}

// Every record is checked before the file is touched.
std::vector<std::uint8_t> EncodeRecords(const WindowModel& window) {
  std::vector<std::uint8_t> bytes(kFileBytes, 0);
  for (std::size_t i = 0; i < kRecordOrder.size(); ++i)
    EncodeRecord(window, kRecordOrder[i], bytes.data() + i * kRecordBytes);
  return bytes;
}

// Applies one record; the reason it was kept otherwise. `cut` is set when
// the text stopped at a NUL byte: no setting can hold one.
std::optional<std::string> ApplyRecord(WindowModel& window, std::string_view name,
                                       std::span<const std::uint8_t> file, std::size_t start,
                                       bool& cut) {
  if (file.size() < start + kLengthBytes)
    return "the file ends before its record";
  const std::uint8_t* record = file.data() + start;
  std::uint16_t value = GetLittleEndian16(record);
  if (IsStateRecord(name)) {
    auto state = static_cast<std::int16_t>(value);
    if (state < 0 || state > 2) {
      return "the file holds the state " + std::to_string(state) +
             ", and a check box takes only 0, 1 or 2";
    }
    window.setState(name, state);
    return std::nullopt;
  }
  if (value > kMaxTextBytes) {
    return "its record claims a text of " + std::to_string(value) + " bytes, more than the " +
           std::to_string(kMaxTextBytes) + " a record holds";
  }
  if (file.size() < start + kLengthBytes + value)
    return "the file ends inside its record";
  std::string_view text(reinterpret_cast<const char*>(record + kLengthBytes), value);
  if (std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    text = text.substr(0, nul);
    cut = true;
  }
  window.setText(name, DecodeWindows1252(text));
  return std::nullopt;
}

bool Exists(const std::filesystem::path& file) {
  std::error_code error;
  return std::filesystem::exists(file, error) || error;  // let the read name an odd error
}

}  // namespace

void SaveParameters(const WindowModel& window, const std::filesystem::path& file) {
  std::vector<std::uint8_t> bytes = EncodeRecords(window);
  ReplacingFile out(file, std::string(kRole));
  out.append(bytes);
  out.commit();
}

ParameterLoadReport LoadParameters(WindowModel& window, const std::filesystem::path& file) {
  ParameterLoadReport report;
  if (!Exists(file)) {
    FileLengthCreatingIfMissing(file, kRole);
    report.createdEmptyFile = true;
  }
  // Bytes past the last record this program knows are ignored, so they are
  // not even read.
  std::vector<std::uint8_t> bytes = ReadFileStart(file, kRole, kRecordBytes * kRecordOrder.size());
  report.keptSettings = ApplyParameterBytes(window, bytes);
  return report;
}

std::vector<std::string> ApplyParameterBytes(WindowModel& window,
                                             std::span<const std::uint8_t> bytes) {
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < kRecordOrder.size(); ++i) {
    std::string_view name = kRecordOrder[i];
    std::size_t start = i * kRecordBytes;
    if (i >= kRequiredRecords && bytes.size() <= start)
      continue;  // an older file, written before this record existed
    bool cut = false;
    if (std::optional<std::string> reason = ApplyRecord(window, name, bytes, start, cut))
      kept.push_back(DescribeSetting(name) + " kept its value: " + *reason + ".");
    if (cut) {
      kept.push_back(DescribeSetting(name) +
                     " ends at a NUL byte in the file; the text after it was left out.");
    }
  }
  return kept;
}

std::string KeptSettingsMessage(const ParameterLoadReport& report) {
  std::string message = std::string(kParameterFileName) +
                        " was loaded, but these settings kept their current values:\n";
  for (const std::string& kept : report.keptSettings)
    message += "\n" + kept;
  return message;
}

}  // namespace brackwyn
