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

  std::string read() {
    std::string field;
    endedAtComma_ = false;
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
};

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

std::string DescribeKind(int number, const std::string& id) {
  return "object kind " + std::to_string(number) + " (\"" + ShownText(id) + "\")";
}

void CheckText(const std::string& text, const char* what, std::size_t maxBytes, int kindNumber,
               const std::string& id, const std::string& fileDescription) {
  if (std::optional<std::string> problem = RecordIdFault(text, maxBytes)) {
    throw RunError("In " + fileDescription + ", " + DescribeKind(kindNumber, id) + ": its " + what +
                   " " + *problem + ".");
  }
}

std::uint8_t NumericValue(const std::string& field, const NumericColumn& column, int kindNumber,
                          const std::string& id, const std::string& fileDescription) {
  double value = ObjectIndexNumber(field);
  if (!(value >= 0 && value <= 255)) {
    throw RunError("In " + fileDescription + ", " + DescribeKind(kindNumber, id) + ", column " +
                   std::to_string(column.column) + " (" + column.name + ") holds \"" + field +
                   "\", which is outside 0 to 255.");
  }
  if (column.column == kScaleVariationColumn && value >= 100) {
    throw RunError("In " + fileDescription + ", " + DescribeKind(kindNumber, id) + ", column " +
                   std::to_string(column.column) + " (" + column.name + ") holds \"" + field +
                   "\": a variation of 100 or more gives scales of 0 or below, which the game "
                   "cannot show. Use 0 to 99.");
  }
  return static_cast<std::uint8_t>(value);
}

}  // namespace

double ObjectIndexNumber(std::string_view field) {
  std::string text;
  for (char c : field) {
    if (!IsSkippedInNumber(c))
      text.push_back(c);
  }
  std::size_t length = DecimalPrefixLength(text);
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
  do {
    if (reader.onlyLineEndsLeft())
      break;
    int number = palette.kindCount() + 1;
    if (number > kMaxObjectKinds) {
      throw RunError(Capitalized(fileDescription) + " lists more than " +
                     std::to_string(kMaxObjectKinds) + " object kinds; at most " +
                     std::to_string(kMaxObjectKinds) + " are possible.");
    }
    std::string fields[kFieldsPerRecord];
    for (int i = 0; i < kFieldsPerRecord; ++i) {
      if (!reader.fieldAvailable()) {
        throw RunError(Capitalized(fileDescription) + " ends after " + std::to_string(i) +
                       " of the 5 fields of object kind " + std::to_string(number) +
                       ". Every kind needs five fields: id, bitmap, scale variation, base size, "
                       "top size.");
      }
      fields[i] = reader.read();
    }
    ObjectKind kind;
    kind.id = fields[0];
    kind.bitmapFile = fields[1];
    CheckText(kind.id, "ID", kMaxRecordIdBytes, number, kind.id, fileDescription);
    // A file name stops at a NUL byte: the run would read another file.
    CheckText(kind.bitmapFile, "density bitmap name", SIZE_MAX, number, kind.id, fileDescription);
    for (int i = 0; i < 3; ++i) {
      const NumericColumn& column = kNumericColumns[i];
      kind.*column.field = NumericValue(fields[2 + i], column, number, kind.id, fileDescription);
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
  std::vector<std::uint8_t> bytes = ReadWholeFile(path, kRole);
  return ParseObjectIndex(bytes, NameFile(kRole, path));
}

}  // namespace brackwyn
