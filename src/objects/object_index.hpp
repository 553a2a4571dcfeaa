// The object index file: a header line and then one object kind per five
// fields (id, density bitmap, scale variation, base size, top size).
//
// The reader does not track lines. A field ends at a comma, at a line end
// (CR LF, LF or CR alike, as editors on any system write them) or at the end
// of the file, so a record may even be split over several lines. Text fields
// are kept byte for byte: no quoting and no trimming, a blank after a comma is
// part of the text. The three numeric columns take the leading number of the
// field (see ObjectIndexNumber).
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "model/object_palette.hpp"

namespace brackwyn {

// The leading number of a numeric field, rounded half to even: blanks, tabs
// and line feeds anywhere in the field are skipped, then an optional sign,
// digits and an optional fraction are read up to the first character that
// cannot continue them. A field without a number gives 0.
double ObjectIndexNumber(std::string_view field);

// `fileDescription` opens every message about the file, e.g. the result of
// NameFile. Throws RunError for an index without kinds, with more than 255,
// with a last record that the end of the file cuts short, with an ID that is
// empty, longer than 255 bytes or holds a control character, with a numeric
// column outside 0..255, or a scale variation of 100 or more.
ObjectPalette ParseObjectIndex(std::span<const std::uint8_t> bytes,
                               const std::string& fileDescription);

// Reads and parses the index file at `path` (the file of txtObjectIndex).
ObjectPalette ReadObjectIndex(const std::filesystem::path& path);

}  // namespace brackwyn
