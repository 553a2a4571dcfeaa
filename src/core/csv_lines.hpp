// Lines of a small comma-separated file: a line ends at CR LF, LF or CR, so a
// file saved on any system reads the same, and a field ends at a comma. There
// is no quoting and no trimming: a blank after a comma is part of the field.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace brackwyn {

struct CsvLine {
  int number;  // from 1, counting every line of the file, empty ones included
  std::vector<std::string> fields;
};

// Every line that holds at least one byte, in file order. Empty lines (a line
// end at the end of the file, a blank line between rows) hold no fields and
// are left out.
std::vector<CsvLine> SplitCsvLines(std::span<const std::uint8_t> bytes);

}  // namespace brackwyn
