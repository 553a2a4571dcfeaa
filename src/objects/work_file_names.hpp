// The four work files of object placement and the plugin writer. They live in
// the working folder, stay until the window closes, and are then deleted.
#pragma once

#include <array>
#include <string_view>

namespace brackwyn {

inline constexpr std::string_view kBaseFileName = "Base.dat";
inline constexpr std::string_view kTopFileName = "Top.dat";
inline constexpr std::string_view kObjectsFileName = "Objects.dat";
// The reference sub-records of the cell the plugin writer wrote last.
inline constexpr std::string_view kReferencesFileName = "FRMR.dat";

inline constexpr std::array<std::string_view, 4> kWorkFileNames = {
    kBaseFileName, kTopFileName, kObjectsFileName, kReferencesFileName};

}  // namespace brackwyn
