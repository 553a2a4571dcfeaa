#include "textures/texture_index.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "core/csv_lines.hpp"
#include "core/number_text.hpp"
#include "core/positioned_file.hpp"
#include "core/record_id.hpp"
#include "core/run_error.hpp"
#include "core/whole_file.hpp"

namespace brackwyn {
namespace {

constexpr std::array<std::string_view, 6> kColumns = {"Texture ID",     "Texture File",
                                                      "Lowest Height",  "Highest Height",
                                                      "Steepest Slope", "Mask Bitmap"};
constexpr std::size_t kRequiredColumns = 5;  // the mask column may be left out

class RowErrors {
 public:
  RowErrors(const std::string& fileDescription, int row)
      : fileDescription_(fileDescription), row_(row) {}

  [[noreturn]] void fail(std::size_t column, const std::string& what) const {
    throw RunError("In " + fileDescription_ + ", row " + std::to_string(row_) + ", column " +
                   std::to_string(column + 1) + " (" + std::string(kColumns[column]) + ") " + what);
  }

 private:
  const std::string& fileDescription_;
  int row_;
};

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  quoted.append(text).push_back('"');
  return quoted;
}

void CheckName(const RowErrors& errors, std::size_t column, const std::string& text) {
  if (std::optional<std::string> fault = RecordIdFault(text))
    errors.fail(column, Quoted(text) + " " + *fault + ".");
}

// nullopt for an empty field: no limit.
std::optional<double> Limit(const RowErrors& errors, std::size_t column, const std::string& field) {
  if (field.empty())
    return std::nullopt;
  std::optional<double> value = ParseDecimal(field);
  if (!value)
    errors.fail(column, "holds " + Quoted(field) + ", which is not a number.");
  return value;
}

TextureRule ParseRule(const CsvLine& line, const std::string& fileDescription) {
  RowErrors errors(fileDescription, line.number);
  const std::vector<std::string>& fields = line.fields;
  if (fields.size() < kRequiredColumns) {
    errors.fail(fields.size(), "is missing: the row ends after " + std::to_string(fields.size()) +
                                   " fields. A rule has Texture ID, Texture File, Lowest Height, "
                                   "Highest Height, Steepest Slope and Mask Bitmap.");
  }
  if (fields.size() > kColumns.size()) {
    throw RunError("In " + fileDescription + ", row " + std::to_string(line.number) + ", column " +
                   std::to_string(kColumns.size() + 1) + " is one too many: a rule has " +
                   std::to_string(kColumns.size()) + " columns. Is there a comma in a name?");
  }
  TextureRule rule;
  rule.row = line.number;
  rule.id = fields[0];
  rule.file = fields[1];
  CheckName(errors, 0, rule.id);
  CheckName(errors, 1, rule.file);
  rule.lowestHeight = Limit(errors, 2, fields[2]).value_or(rule.lowestHeight);
  rule.highestHeight = Limit(errors, 3, fields[3]).value_or(rule.highestHeight);
  if (rule.lowestHeight > rule.highestHeight) {
    errors.fail(2, "holds " + Quoted(fields[2]) + ", above the Highest Height " +
                       Quoted(fields[3]) + ": no square could take the rule.");
  }
  rule.steepestSlope = Limit(errors, 4, fields[4]).value_or(rule.steepestSlope);
  if (!(rule.steepestSlope >= 0 && rule.steepestSlope <= 90))
    errors.fail(4, "holds " + Quoted(fields[4]) + ", which is not a slope from 0 to 90 degrees.");
  if (fields.size() > 5)
    rule.maskFile = fields[5];
  return rule;
}

// One texture ID makes one land texture record, so every rule naming it (the
// game does not tell case apart) must name the same texture file.
void CheckSameFileForSameId(const std::vector<TextureRule>& rules,
                            const std::string& fileDescription) {
  for (std::size_t i = 0; i < rules.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (!SameTextureId(rules[j].id, rules[i].id) || rules[j].file == rules[i].file)
        continue;
      RowErrors(fileDescription, rules[i].row)
          .fail(1, "names " + Quoted(rules[i].file) + " for the texture " + Quoted(rules[i].id) +
                       ", which row " + std::to_string(rules[j].row) + " gave the file " +
                       Quoted(rules[j].file) + ". One texture ID has one file.");
    }
  }
}

std::string Capitalized(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
    text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text;
}

}  // namespace

bool SameTextureId(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

std::vector<TextureRule> ParseTextureIndex(std::span<const std::uint8_t> bytes,
                                           const std::string& fileDescription) {
  std::vector<CsvLine> lines = SplitCsvLines(bytes);
  std::vector<TextureRule> rules;
  for (std::size_t i = 1; i < lines.size(); ++i) {  // line 0 is the header
    if (rules.size() == kMaxTextureRules) {
      throw RunError(Capitalized(fileDescription) + " has more than " +
                     std::to_string(kMaxTextureRules) + " rules (row " +
                     std::to_string(lines[i].number) + " is one too many).");
    }
    rules.push_back(ParseRule(lines[i], fileDescription));
  }
  if (rules.empty()) {
    throw RunError(Capitalized(fileDescription) +
                   " holds no rule after its header line. Add one line per rule: Texture ID, "
                   "Texture File, Lowest Height, Highest Height, Steepest Slope, Mask Bitmap.");
  }
  CheckSameFileForSameId(rules, fileDescription);
  return rules;
}

std::vector<TextureRule> ReadTextureIndex(const std::filesystem::path& path) {
  constexpr std::string_view kRole = "texture index file (txtTextureIndex)";
  std::vector<std::uint8_t> bytes = ReadWholeFile(path, kRole, kMaxIndexFileBytes);
  return ParseTextureIndex(bytes, NameFile(kRole, path));
}

}  // namespace brackwyn
