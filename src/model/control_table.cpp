#include "model/control_table.hpp"

#include <array>

#include "model/control_names.hpp"

namespace brackwyn {
namespace {

using K = ControlKind;

constexpr std::string_view kParameters = "fraParameters";
constexpr std::string_view kLogTip =
    "Vertex height clipping errors are reported on a per-pixel basis. When examing the bitmaps to "
    "correct the error, pixel coordinates reported here begin at (0,0) in the bottom-left corner "
    "of the bitmap.";
constexpr std::string_view kLogFrameTip =
    "Vertex height clipping errors are reported on a per-pixel basis. When examing the bitmaps to "
    "correct the error, pixel coordinates reported below begin at (0,0) in the bottom-left corner "
    "of the bitmap.";
constexpr std::string_view kCountTip = "Running total of the number of each object generated.";
constexpr std::string_view kTimesTip =
    "Displays the amount of time select procedures take to execute.";
constexpr std::string_view kBitmapTip =
    "3328x3328 24-bit grayscale bitmap containing additional elevations.";
constexpr std::string_view kStartTip = "Bottom-left vertex at which to start creating objects.";
constexpr std::string_view kStopTip = "Top-right vertex at which to stop creating objects.";

constexpr std::string_view kHeightmapFileTip =
    "A 3328 x 3328 grayscale PNG (8 or 16 bits) or a 16-bit little-endian RAW file (.r16 or .raw), "
    "first row north.";
constexpr std::string_view kHeightmapTip =
    "If checked Brackwyn reads the heights from one 16-bit grayscale heightmap instead of the "
    "three elevation bitmaps.";
constexpr std::string_view kHeightOfBlackTip =
    "Height in game units of black (the lowest value) in the heightmap; a whole number.";
constexpr std::string_view kHeightOfWhiteTip =
    "Height in game units of white (the highest value) in the heightmap; a whole number above the "
    "height of black.";
constexpr std::string_view kWorldTip =
    "Grid coordinates of the bottom-left cell of the 52 x 52 cells, whole numbers from -1000 to "
    "948; -26, -26 puts the world's centre at the game's origin.";
constexpr std::string_view kSkipSeaTip =
    "If checked Brackwyn leaves out every cell that is all open sea at -2048 units and holds no "
    "object, so that other plugins' land there shows.";

constexpr ControlSpec Frame(std::string_view name, std::string_view caption, std::string_view tip) {
  return {K::Frame, name, "", caption, "", "", 0, tip, true, 0, 0, 0, false, 0};
}
constexpr ControlSpec Heading(std::string_view caption, std::string_view tip, int row, int column,
                              int span = 1) {
  return {K::Heading, "", kParameters, caption, "", "", 0, tip, true, row, column, span, false, 0};
}
constexpr ControlSpec Caption(std::string_view caption, std::string_view tip, int row) {
  return {K::RowCaption, "", kParameters, caption, "", "", 0, tip, true, row, 0, 1, false, 0};
}
constexpr ControlSpec Text(std::string_view name, std::string_view label, std::string_view text,
                           std::string_view tip, bool editable, int row, int column, int span = 1) {
  return {K::TextBox, name,     kParameters, "",     label, text,  0,
          tip,        editable, row,         column, span,  false, 0};
}
constexpr ControlSpec Check(std::string_view name, std::string_view caption, int state,
                            std::string_view tip, int row) {
  return {K::CheckBox, name, kParameters, caption, caption, "",    state,
          tip,         true, row,         0,       5,       false, 0};
}
constexpr ControlSpec Separator(int row) {
  return {K::Separator, "", kParameters, "", "", "", 0, "", true, row, 0, 5, false, 0};
}
constexpr ControlSpec Area(std::string_view name, std::string_view frame, std::string_view tip) {
  return {K::OutputArea, name, frame, "", "", "", 0, tip, true, 0, 0, 1, false, 0};
}
constexpr ControlSpec Button(std::string_view name, std::string_view caption, char mnemonic,
                             std::string_view tip, bool large = false) {
  return {K::Button, name, "", caption, "", "", 0, tip, true, 0, 0, 1, large, mnemonic};
}

// Five columns in the parameter frame: row captions, then four box columns.
// File names span the three columns before the range column.
constexpr auto kControls = std::to_array<ControlSpec>({
    Frame(kParameters, "Required Parameters", ""),
    Caption("Master File (Source ESM)", "Master file the plugin will use as its parent.", 0),
    Text("txtESM", "Master File (Source ESM)", "Brackwyn.esm",
         "Master file the plugin will use as its parent.", true, 0, 1, 4),
    Caption("Plugin File (Target ESP)", "Plugin file Brackwyn will create.", 1),
    Text("txtESP", "Plugin File (Target ESP)", "Brackwyn.esp", "Plugin file Brackwyn will create.",
         true, 1, 1, 4),
    Heading("Filename", "Filename of bitmap used to calculate elevation data.", 2, 1, 3),
    Heading("Range", "Elevation range each bitmap encompasses (additive).", 2, 4),
    Caption("Elevation1 (Coast: -256 - 32)",
            "3328x3328 24-bit grayscale bitmap containing elevations from the sea floor to the "
            "top of the beach.",
            3),
    Text("txtBitmapCoast", "Elevation1 (Coast: -256 - 32) filename", "coast.bmp",
         "3328x3328 24-bit grayscale bitmap containing elevations from the sea floor to the top "
         "of the beach.",
         true, 3, 1, 3),
    Text("txtScaleCoast", "Elevation1 (Coast: -256 - 32) range", "289",
         "Maximum scale of coast elevations (fixed, additive).", false, 3, 4),
    Caption("Elevation2 (Interior)", kBitmapTip, 4),
    Text("txtBitmapInterior", "Elevation2 (Interior) filename", "interior.bmp", kBitmapTip, true, 4,
         1, 3),
    Text("txtScaleInterior", "Elevation2 (Interior) range", "1000",
         "Maximum scale of interior elevations (additive).", true, 4, 4),
    Caption("Elevation3 (Mountains)", kBitmapTip, 5),
    Text("txtBitmapMountain", "Elevation3 (Mountains) filename", "mountain.bmp", kBitmapTip, true,
         5, 1, 3),
    Text("txtScaleMountain", "Elevation3 (Mountains) range", "8000",
         "Maximum scale of mountain elevations (additive).", true, 5, 4),
    Check("chkHeightmap", "Use One Heightmap", 0, kHeightmapTip, 6),
    Caption("Heightmap File", kHeightmapFileTip, 7),
    Text("txtHeightmap", "Heightmap File", "heightmap.png", kHeightmapFileTip, true, 7, 1, 4),
    Caption("Height of Black", kHeightOfBlackTip, 8),
    Text("txtHeightmapLow", "Height of Black", "-2048", kHeightOfBlackTip, true, 8, 1),
    Caption("Height of White", kHeightOfWhiteTip, 9),
    Text("txtHeightmapHigh", "Height of White", "14336", kHeightOfWhiteTip, true, 9, 1),
    Separator(10),
    Check("chkCreateObjects", "Create Objects (Extremely Slow)", 0,
          "If checked Brackwyn will create objects on the landscape using the bitmaps and "
          "parameters specified by the Object Index File.",
          11),
    Caption("Object Index File",
            "File containing information needed to place objects in the ESP (see ReadMe.htm).", 12),
    Text("txtObjectIndex", "Object Index File", "objects.csv",
         "File containing information needed to place objects in the ESP (see ReadMe.htm).", true,
         12, 1, 4),
    Caption("Object Random Number Seed", "Random number seed used for object generation tasks.",
            13),
    Text("txtObjectSeed", "Object Random Number Seed", "0",
         "Random number seed used for object generation tasks.", true, 13, 1),
    Caption("Divide Object Probability By",
            "Ranges of 1 - 255 allowed. Higher values reduce probability of objects occurring.",
            14),
    Text("txtObjectDivisor", "Divide Object Probability By", "64",
         "Ranges of 1 - 255 allowed. Higher values reduce probability of objects occurring.", true,
         14, 1),
    Heading("X1", kStartTip, 15, 1),
    Heading("Y1", kStartTip, 15, 2),
    Heading("X2", kStopTip, 15, 3),
    Heading("Y2", kStopTip, 15, 4),
    Caption("Confine Objects to Vertices",
            "Create objects only within boundaries specified by bottom-left and top-right vertex "
            "coordinates.",
            16),
    Text("txtConfineObjectsX1", "Confine Objects to Vertices X1", "0", kStartTip, true, 16, 1),
    Text("txtConfineObjectsY1", "Confine Objects to Vertices Y1", "0", kStartTip, true, 16, 2),
    Text("txtConfineObjectsX2", "Confine Objects to Vertices X2", "3327", kStopTip, true, 16, 3),
    Text("txtConfineObjectsY2", "Confine Objects to Vertices Y2", "3327", kStopTip, true, 16, 4),
    Separator(17),
    Check("chkCreateVCLR", "Create Vertex Colors", 1,
          "If checked Brackwyn will create vertex color gradients on the landscape based on "
          "elevation and the colors specified below.",
          18),
    Heading("Height",
            "Elevation at which the corresponding RGB color begins gradiating to the next RGB "
            "color.",
            19, 1),
    Heading("Color (RGB, 0-255)", "RGB color value of the corresponding elevation.", 19, 2, 3),
    Caption("Vertex Color 1 (Dry Sand)", "Elevation and RGB color for \"dry sand\".", 20),
    Text("txtVCLR1Height", "Vertex Color 1 (Dry Sand) height", "10", "", false, 20, 1),
    Text("txtVCLR1R", "Vertex Color 1 (Dry Sand) red", "255", "Red.", false, 20, 2),
    Text("txtVCLR1G", "Vertex Color 1 (Dry Sand) green", "255", "Green.", false, 20, 3),
    Text("txtVCLR1B", "Vertex Color 1 (Dry Sand) blue", "255", "Blue.", false, 20, 4),
    Caption("Vertex Color 2 (Wet Sand)", "Elevation and RGB color for \"wet sand\".", 21),
    Text("txtVCLR2Height", "Vertex Color 2 (Wet Sand) height", "-5", "", true, 21, 1),
    Text("txtVCLR2R", "Vertex Color 2 (Wet Sand) red", "179", "Red.", true, 21, 2),
    Text("txtVCLR2G", "Vertex Color 2 (Wet Sand) green", "176", "Green.", true, 21, 3),
    Text("txtVCLR2B", "Vertex Color 2 (Wet Sand) blue", "162", "Blue.", true, 21, 4),
    Caption("Vertex Color 3 (Shallow Water)", "Elevation and RGB color for \"shallow water\".", 22),
    Text("txtVCLR3Height", "Vertex Color 3 (Shallow Water) height", "-17", "", true, 22, 1),
    Text("txtVCLR3R", "Vertex Color 3 (Shallow Water) red", "116", "Red.", true, 22, 2),
    Text("txtVCLR3G", "Vertex Color 3 (Shallow Water) green", "224", "Green.", true, 22, 3),
    Text("txtVCLR3B", "Vertex Color 3 (Shallow Water) blue", "206", "Blue.", true, 22, 4),
    Caption("Vertex Color 4 (Medium Water)", "Elevation and RGB color for \"medium water\".", 23),
    Text("txtVCLR4Height", "Vertex Color 4 (Medium Water) height", "-130", "", true, 23, 1),
    Text("txtVCLR4R", "Vertex Color 4 (Medium Water) red", "6", "Red.", true, 23, 2),
    Text("txtVCLR4G", "Vertex Color 4 (Medium Water) green", "155", "Green.", true, 23, 3),
    Text("txtVCLR4B", "Vertex Color 4 (Medium Water) blue", "177", "Blue.", true, 23, 4),
    Caption("Vertex Color 5 (Deep Water)", "Elevation and RGB color for \"deep water\".", 24),
    Text("txtVCLR5Height", "Vertex Color 5 (Deep Water) height", "-256", "", false, 24, 1),
    Text("txtVCLR5R", "Vertex Color 5 (Deep Water) red", "24", "Red.", true, 24, 2),
    Text("txtVCLR5G", "Vertex Color 5 (Deep Water) green", "89", "Green.", true, 24, 3),
    Text("txtVCLR5B", "Vertex Color 5 (Deep Water) blue", "145", "Blue.", true, 24, 4),
    Separator(25),
    Check("chkCreateNormals", "Create Normals and Map Heights", 0,
          "Compute vertex normals and world-map heights so that the game lights the terrain and "
          "draws it on the map",
          26),
    Check("chkCreateTextures", "Create Land Textures", 0,
          "If checked Brackwyn will texture the landscape by the rules of the Texture Index File.",
          27),
    Caption("Texture Index File",
            "File of rules that choose the land texture of every square by height, slope and mask "
            "(see README).",
            28),
    Text("txtTextureIndex", "Texture Index File", "textures.csv",
         "File of rules that choose the land texture of every square by height, slope and mask "
         "(see README).",
         true, 28, 1, 4),
    Heading("X", kWorldTip, 29, 1),
    Heading("Y", kWorldTip, 29, 2),
    Caption("Bottom-Left Cell", kWorldTip, 30),
    Text("txtWorldX", "Bottom-Left Cell X", "-26", kWorldTip, true, 30, 1),
    Text("txtWorldY", "Bottom-Left Cell Y", "-26", kWorldTip, true, 30, 2),
    Check("chkSkipSeaCells", "Leave Out Open-Sea Cells", 0, kSkipSeaTip, 31),
    Frame("fraLog", "Vertex Height Clipping Errors", kLogFrameTip),
    Area("txtLog", "fraLog", kLogTip),
    Frame("fraObjectsCount", "Object Generation Count", kCountTip),
    Area("txtObjectsCount", "fraObjectsCount", kCountTip),
    Frame("fraTimes", "Procedure Execution Times", kTimesTip),
    Area("txtTimes", "fraTimes", kTimesTip),
    Button("cmdOpenFolder", "Open Folder…", 'O',
           "Choose the working folder, which holds the bitmaps, the indexes, Parameters.ini and "
           "the plugin. Only before the run."),
    Button("cmdLoadParameters", "Load Parameters", 'L', ""),
    Button("cmdSaveParameters", "Save Parameters", 'S', ""),
    Button("cmdBegin", "Create Landscape/ESP", 'C',
           "Create appropriate bitmaps for elevations and objects, create the object index file, "
           "and configure valid required parameters before creating the ESP.",
           true),
});

constexpr bool IsAControl(std::string_view name) {
  for (const ControlSpec& entry : kControls) {
    if (entry.name == name)
      return true;
  }
  return false;
}

constexpr bool EveryNameInCodeIsAControl() {
  for (std::string_view name : control::kNamedInCode) {
    if (!IsAControl(name))
      return false;
  }
  for (std::string_view name : control::kButtonsNamedInCode) {
    if (!IsAControl(name))
      return false;
  }
  return true;
}
static_assert(EveryNameInCodeIsAControl(), "a name in control_names.hpp is not in the table");

// Alt and a letter must press one button, whose caption has that letter.
constexpr bool MnemonicsAreInTheirCaptionsAndUnique() {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    char letter = kControls[i].mnemonic;
    if (letter == 0)
      continue;
    bool inCaption = false;
    for (char c : kControls[i].caption)
      inCaption = inCaption || (c | 0x20) == (letter | 0x20);
    if (!inCaption)
      return false;
    for (std::size_t j = i + 1; j < kControls.size(); ++j) {
      if ((kControls[j].mnemonic | 0x20) == (letter | 0x20))
        return false;
    }
  }
  return true;
}
static_assert(MnemonicsAreInTheirCaptionsAndUnique(),
              "a button's mnemonic is not in its caption or is used twice");

}  // namespace

std::span<const ControlSpec> ControlTable() {
  return kControls;
}

const ControlSpec* FindControl(std::string_view name) {
  if (name.empty())
    return nullptr;
  for (const ControlSpec& control : kControls) {
    if (control.name == name)
      return &control;
  }
  return nullptr;
}

std::string MnemonicCaption(const ControlSpec& control) {
  std::string caption;
  bool marked = control.mnemonic == 0;
  for (char c : control.caption) {
    if (!marked && (c | 0x20) == (control.mnemonic | 0x20)) {
      caption += '&';
      marked = true;
    }
    caption += c;
    if (c == '&')
      caption += '&';
  }
  return caption;
}

bool IsSetting(const ControlSpec& control) {
  return control.kind == ControlKind::TextBox || control.kind == ControlKind::CheckBox;
}

std::string DescribeSetting(std::string_view name) {
  const ControlSpec* control = FindControl(name);
  std::string label = control != nullptr ? std::string(control->label) : std::string(name);
  return "\"" + label + "\" (" + std::string(name) + ")";
}

}  // namespace brackwyn
