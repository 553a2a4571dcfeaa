#include "objects/object_index.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/number_text.hpp"
#include "core/positioned_file.hpp"
#include "core/record_id.hpp"
#include "core/run_error.hpp"
#include "core/whole_file.hpp"

namespace brackwyn {
namespace {

constexpr int kFieldsPerRecord = 5;

class FieldReader {
 public:
  explicit FieldReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  // A field may start at the very end of the file only right after a comma:
  // "a,b,c,d," ends in an empty fifth field, "a,b,c,d" lacks it.
  bool fieldAvailable() const {
    return next_ < bytes_.size() || (next_ == bytes_.size() && endedAtComma_);
  }

  // Where the next field starts: its line (the first is 1), and whether it
  // starts that line.
  int line() const { return line_; }
  bool atLineStart() const { return atLineStart_; }

  std::string read() {
    std::string field;
    endedAtComma_ = false;
    atLineStart_ = false;
    while (next_ < bytes_.size()) {
      char b = static_cast<char>(bytes_[next_]);
      if (b == ',') {
        next_ += 1;
        endedAtComma_ = true;
        break;
      }
      if (b == '\r' || b == '\n') {
        next_ += 1;
        if (b == '\r' && next_ < bytes_.size() && bytes_[next_] == '\n')
          next_ += 1;  // CR LF is one line end
        line_ += 1;
        atLineStart_ = true;
        break;
      }
      field.push_back(b);
      next_ += 1;
    }
    return field;
  }

  // Another record follows only while more than one byte is left.
  bool moreThanOneByteLeft() const { return next_ + 1 < bytes_.size(); }

  // True when nothing but line ends is left: an empty last line holds no
  // record.
  bool onlyLineEndsLeft() const {
    for (std::size_t i = next_; i < bytes_.size(); ++i) {
      if (bytes_[i] != '\r' && bytes_[i] != '\n')
        return false;
    }
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t next_ = 0;
  bool endedAtComma_ = false;
  int line_ = 1;
  bool atLineStart_ = true;
};

// Line ends as the field reader takes them: CR LF, LF or CR.
std::size_t LineEndLength(std::span<const std::uint8_t> bytes, std::size_t at) {
  if (bytes[at] == '\n')
    return 1;
  if (bytes[at] != '\r')
    return 0;
  return at + 1 < bytes.size() && bytes[at + 1] == '\n' ? 2 : 1;
}

// A warning for every line, up to the last that holds anything, whose
// number of fields is not five: one misplaced comma shifts every later kind.
void WarnAboutFieldCounts(std::span<const std::uint8_t> bytes, std::vector<std::string>& warnings) {
  std::size_t end = bytes.size();
  while (end > 0 && (bytes[end - 1] == '\r' || bytes[end - 1] == '\n'))
    --end;
  int line = 1;
  int fields = 1;
  for (std::size_t at = 0; at <= end;) {
    std::size_t lineEnd = at < end ? LineEndLength(bytes, at) : 1;
    if (lineEnd == 0) {
      fields += bytes[at] == ',';
      ++at;
      continue;
    }
    if (fields != kFieldsPerRecord) {
      warnings.push_back("line " + std::to_string(line) + " holds " + std::to_string(fields) +
                         (fields == 1 ? " field" : " fields") + " instead of 5.");
    }
    ++line;
    fields = 1;
    at += lineEnd;
  }
}

bool IsSkippedInNumber(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}

struct NumericColumn {
  const char* name;
  int column;
  std::uint8_t ObjectKind::*field;
};

constexpr int kScaleVariationColumn = 3;

constexpr NumericColumn kNumericColumns[] = {
    {"scale variation", kScaleVariationColumn, &ObjectKind::scaleVariation},
    {"base size", 4, &ObjectKind::baseSize},
    {"top size", 5, &ObjectKind::topSize},
};

std::string Capitalized(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
    text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text;
}

bool IsControl(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

// An ID as a message shows it: control characters as '?' and a long one cut
// short, so that a message stays readable whatever the file holds.
std::string ShownText(const std::string& text) {
  constexpr std::size_t kShown = 40;
  std::string shown = text.substr(0, kShown);
  for (char& c : shown) {
    if (IsControl(c))
      c = '?';
  }
  return text.size() > kShown ? shown + "..." : shown;
}

std::string DescribeKind(int number, const std::string& id, int line) {
  return "object kind " + std::to_string(number) + " (\"" + ShownText(id) + "\", line " +
         std::to_string(line) + ")";
}

void CheckText(const std::string& text, const char* what, std::size_t maxBytes, int kindNumber,
               const ObjectKind& kind, const std::string& fileDescription) {
  if (std::optional<std::string> problem = RecordIdFault(text, maxBytes)) {
    throw RunError("In " + fileDescription + ", " + DescribeKind(kindNumber, kind.id, kind.line) +
                   ": its " + what + " " + *problem + ".");
  }
}

// Leaves the field's text without the blanks the number reader skips, and
// the length of the number at its start.
std::size_t NumberPrefix(std::string_view field, std::string& text) {
  text.clear();
  for (char c : field) {
    if (!IsSkippedInNumber(c))
      text.push_back(c);
  }
  return DecimalPrefixLength(text);
}

std::uint8_t NumericValue(const std::string& field, const NumericColumn& column, int kindNumber,
                          const ObjectKind& kind, const std::string& fileDescription,
                          std::vector<std::string>& warnings) {
  const std::string& id = kind.id;
  double value = ObjectIndexNumber(field);
  if (!(value >= 0 && value <= 255)) {
    throw RunError("In " + fileDescription + ", " + DescribeKind(kindNumber, id, kind.line) +
                   ", column " + std::to_string(column.column) + " (" + column.name + ") holds \"" +
                   field + "\", which is outside 0 to 255.");
  }
  if (column.column == kScaleVariationColumn && value >= 100) {
    throw RunError("In " + fileDescription + ", " + DescribeKind(kindNumber, id, kind.line) +
                   ", column " + std::to_string(column.column) + " (" + column.name + ") holds \"" +
                   field +
                   "\": a variation of 100 or more gives scales of 0 or below, which the game "
                   "cannot show. Use 0 to 99.");
  }
  // After the range checks, so that the value shown fits its type.
  std::string text;
  std::size_t length = NumberPrefix(field, text);
  if (length == 0 || length < text.size()) {
    warnings.push_back("line " + std::to_string(kind.line) + ": column " +
                       std::to_string(column.column) + " (" + column.name + ") of object kind " +
                       std::to_string(kindNumber) + " (\"" + ShownText(id) + "\") holds \"" +
                       ShownText(field) + "\", read as " + std::to_string(static_cast<int>(value)) +
                       (length == 0 ? ": it holds no number." : ": text follows the number."));
  }
  return static_cast<std::uint8_t>(value);
}

}  // namespace

double ObjectIndexNumber(std::string_view field) {
  std::string text;
  std::size_t length = NumberPrefix(field, text);
  if (length == 0)
    return 0;
  text.resize(length);
  return RoundHalfEven(ReadDecimal(text));
}

ObjectPalette ParseObjectIndex(std::span<const std::uint8_t> bytes,
                               const std::string& fileDescription) {
  FieldReader reader(bytes);
  for (int i = 0; i < kFieldsPerRecord; ++i)
    reader.read();  // the header line is not interpreted

  ObjectPalette palette;
  WarnAboutFieldCounts(bytes, palette.warnings);
  do {
    if (reader.onlyLineEndsLeft())
      break;
    int number = palette.kindCount() + 1;
    if (number > kMaxObjectKinds) {
      throw RunError(Capitalized(fileDescription) + " lists more than " +
                     std::to_string(kMaxObjectKinds) + " object kinds; at most " +
                     std::to_string(kMaxObjectKinds) + " are possible.");
    }
    ObjectKind kind;
    kind.line = reader.line();
    if (!reader.atLineStart()) {
      palette.warnings.push_back("line " + std::to_string(kind.line) + ": object kind " +
                                 std::to_string(number) +
                                 " starts in the middle of the line: a line before it holds "
                                 "more or fewer than 5 fields.");
    }
    std::string fields[kFieldsPerRecord];
    for (int i = 0; i < kFieldsPerRecord; ++i) {
      if (!reader.fieldAvailable()) {
        throw RunError(Capitalized(fileDescription) + " ends after " + std::to_string(i) +
                       " of the 5 fields of object kind " + std::to_string(number) + " (line " +
                       std::to_string(kind.line) +
                       "). Every kind needs five fields: id, bitmap, scale variation, base size, "
                       "top size.");
      }
      fields[i] = reader.read();
    }
    kind.id = fields[0];
    kind.bitmapFile = fields[1];
    CheckText(kind.id, "ID", kMaxRecordIdBytes, number, kind, fileDescription);
    // A file name stops at a NUL byte: the run would read another file.
    CheckText(kind.bitmapFile, "density bitmap name", SIZE_MAX, number, kind, fileDescription);
    for (int i = 0; i < 3; ++i) {
      const NumericColumn& column = kNumericColumns[i];
      kind.*column.field =
          NumericValue(fields[2 + i], column, number, kind, fileDescription, palette.warnings);
    }
    palette.kinds.push_back(std::move(kind));
  } while (reader.moreThanOneByteLeft());

  if (palette.kindCount() == 0) {
    throw RunError(Capitalized(fileDescription) +
                   " holds no object kind after its header line. Add one line per kind: id, "
                   "bitmap, scale variation, base size, top size.");
  }
  return palette;
}

ObjectPalette ReadObjectIndex(const std::filesystem::path& path) {
  constexpr std::string_view kRole = "object index file (txtObjectIndex)";
  std::vector<std::uint8_t> bytes = ReadWholeFile(path, kRole, kMaxIndexFileBytes);
  return ParseObjectIndex(bytes, NameFile(kRole, path));
}

}  // namespace brackwyn
