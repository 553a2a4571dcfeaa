#include "core/csv_lines.hpp"

namespace brackwyn {

std::vector<CsvLine> SplitCsvLines(std::span<const std::uint8_t> bytes) {
  std::vector<CsvLine> lines;
  CsvLine line{1, {std::string()}};
  bool lineHasBytes = false;
  auto endLine = [&] {
    if (lineHasBytes)
      lines.push_back(std::move(line));
    line = CsvLine{line.number + 1, {std::string()}};
    lineHasBytes = false;
  };
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    auto b = static_cast<char>(bytes[i]);
    if (b == '\r' || b == '\n') {
      if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
        ++i;
      endLine();
      continue;
    }
    lineHasBytes = true;
    if (b == ',')
      line.fields.emplace_back();
    else
      line.fields.back().push_back(b);
  }
  endLine();
  return lines;
}

}  // namespace brackwyn
