// The controls that code names, one constant each, so that a misspelt name is
// a compile error rather than a run-time failure: control_table.cpp asserts
// that every name in kNamedInCode is a control of the table.
#pragma once

#include <array>
#include <string_view>

namespace brackwyn::control {

inline constexpr std::string_view txtESM = "txtESM";
inline constexpr std::string_view txtESP = "txtESP";
inline constexpr std::string_view txtBitmapCoast = "txtBitmapCoast";
inline constexpr std::string_view txtScaleCoast = "txtScaleCoast";
inline constexpr std::string_view txtBitmapInterior = "txtBitmapInterior";
inline constexpr std::string_view txtScaleInterior = "txtScaleInterior";
inline constexpr std::string_view txtBitmapMountain = "txtBitmapMountain";
inline constexpr std::string_view txtScaleMountain = "txtScaleMountain";
inline constexpr std::string_view chkHeightmap = "chkHeightmap";
inline constexpr std::string_view txtHeightmap = "txtHeightmap";
inline constexpr std::string_view txtHeightmapLow = "txtHeightmapLow";
inline constexpr std::string_view txtHeightmapHigh = "txtHeightmapHigh";
inline constexpr std::string_view chkCreateObjects = "chkCreateObjects";
inline constexpr std::string_view txtObjectIndex = "txtObjectIndex";
inline constexpr std::string_view txtObjectSeed = "txtObjectSeed";
inline constexpr std::string_view txtObjectDivisor = "txtObjectDivisor";
inline constexpr std::string_view txtConfineObjectsX1 = "txtConfineObjectsX1";
inline constexpr std::string_view txtConfineObjectsY1 = "txtConfineObjectsY1";
inline constexpr std::string_view txtConfineObjectsX2 = "txtConfineObjectsX2";
inline constexpr std::string_view txtConfineObjectsY2 = "txtConfineObjectsY2";
inline constexpr std::string_view chkCreateVCLR = "chkCreateVCLR";
inline constexpr std::string_view chkCreateNormals = "chkCreateNormals";
inline constexpr std::string_view chkCreateTextures = "chkCreateTextures";
inline constexpr std::string_view txtTextureIndex = "txtTextureIndex";
inline constexpr std::string_view txtWorldX = "txtWorldX";
inline constexpr std::string_view txtWorldY = "txtWorldY";
inline constexpr std::string_view chkSkipSeaCells = "chkSkipSeaCells";
inline constexpr std::string_view txtLog = "txtLog";
inline constexpr std::string_view txtObjectsCount = "txtObjectsCount";
inline constexpr std::string_view txtTimes = "txtTimes";

// The five colour bands, band 1 first: height, then red, green, blue.
inline constexpr std::array<std::string_view, 5> txtVCLRHeight = {
    "txtVCLR1Height", "txtVCLR2Height", "txtVCLR3Height", "txtVCLR4Height", "txtVCLR5Height"};
inline constexpr std::array<std::array<std::string_view, 3>, 5> txtVCLRColor = {{
    {"txtVCLR1R", "txtVCLR1G", "txtVCLR1B"},
    {"txtVCLR2R", "txtVCLR2G", "txtVCLR2B"},
    {"txtVCLR3R", "txtVCLR3G", "txtVCLR3B"},
    {"txtVCLR4R", "txtVCLR4G", "txtVCLR4B"},
    {"txtVCLR5R", "txtVCLR5G", "txtVCLR5B"},
}};

// The buttons the windows act on.
inline constexpr std::string_view cmdOpenFolder = "cmdOpenFolder";
inline constexpr std::string_view cmdLoadParameters = "cmdLoadParameters";
inline constexpr std::string_view cmdSaveParameters = "cmdSaveParameters";
inline constexpr std::string_view cmdBegin = "cmdBegin";
inline constexpr std::array<std::string_view, 4> kButtonsNamedInCode = {
    cmdOpenFolder, cmdLoadParameters, cmdSaveParameters, cmdBegin};

inline constexpr auto kNamedInCode = [] {
  std::array<std::string_view, 30 + 5 * 4> all = {txtESM,
                                                  txtESP,
                                                  txtBitmapCoast,
                                                  txtScaleCoast,
                                                  txtBitmapInterior,
                                                  txtScaleInterior,
                                                  txtBitmapMountain,
                                                  txtScaleMountain,
                                                  chkHeightmap,
                                                  txtHeightmap,
                                                  txtHeightmapLow,
                                                  txtHeightmapHigh,
                                                  chkCreateObjects,
                                                  txtObjectIndex,
                                                  txtObjectSeed,
                                                  txtObjectDivisor,
                                                  txtConfineObjectsX1,
                                                  txtConfineObjectsY1,
                                                  txtConfineObjectsX2,
                                                  txtConfineObjectsY2,
                                                  chkCreateVCLR,
                                                  chkCreateNormals,
                                                  chkCreateTextures,
                                                  txtTextureIndex,
                                                  txtWorldX,
                                                  txtWorldY,
                                                  chkSkipSeaCells,
                                                  txtLog,
                                                  txtObjectsCount,
                                                  txtTimes};
  std::size_t at = 30;
  for (int band = 0; band < 5; ++band) {
    all[at++] = txtVCLRHeight[band];
    for (std::string_view color : txtVCLRColor[band])
      all[at++] = color;
  }
  return all;
}();

}  // namespace brackwyn::control
