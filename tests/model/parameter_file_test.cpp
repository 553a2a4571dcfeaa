#include "model/parameter_file.hpp"

#include <gtest/gtest.h>

#include <array>
#include <fstream>

#include "core/run_error.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

// The file's record order, written out independently of the code under test.
constexpr std::array<std::string_view, 32> kExpectedOrder = {"txtESM",
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
                                                             "chkCreateNormals"};
constexpr std::array<std::string_view, 6> kFixedBoxes = {
    "txtScaleCoast", "txtVCLR1Height", "txtVCLR1R", "txtVCLR1G", "txtVCLR1B", "txtVCLR5Height"};

using Bytes = std::vector<std::uint8_t>;

Bytes Record(const Bytes& file, int number) {
  auto start = file.begin() + 128 * (number - 1);
  return Bytes(start, start + 128);
}

Bytes TextRecord(std::string_view text) {
  Bytes record(128, 0);
  record[0] = static_cast<std::uint8_t>(text.size());
  record[1] = static_cast<std::uint8_t>(text.size() >> 8);
  std::copy(text.begin(), text.end(), record.begin() + 2);
  return record;
}

Bytes StateRecord(std::int16_t state) {
  Bytes record(128, 0);
  record[0] = static_cast<std::uint8_t>(state);
  record[1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(state) >> 8);
  return record;
}

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

bool IsState(std::string_view name) {
  return name.substr(0, 3) == "chk";
}

class ParameterFile : public ::testing::Test {
 protected:
  std::filesystem::path file() const { return folder / kParameterFileName; }
  Bytes saved() const { return testing::ReadBytes(file()); }

  testing::ScratchFolder folder;
  WindowModel window;
};

TEST_F(ParameterFile, DefaultsGiveTheKnownBytes) {
  SaveParameters(window, file());
  Bytes bytes = saved();
  ASSERT_EQ(bytes.size(), 5248u);
  EXPECT_EQ(Record(bytes, 1), TextRecord("Brackwyn.esm"));
  EXPECT_EQ(Record(bytes, 5), TextRecord("1000"));
  EXPECT_EQ(Record(bytes, 8), StateRecord(0));
  EXPECT_EQ(Record(bytes, 31), StateRecord(1));
  EXPECT_EQ(Record(bytes, 32), StateRecord(0));
  EXPECT_EQ(Record(bytes, 13), TextRecord("3327"));  // X2 comes before Y1
}

TEST_F(ParameterFile, RecordNStartsAtByte128TimesNMinus1) {
  for (std::string_view name : kExpectedOrder) {
    if (IsState(name))
      window.setState(name, name == "chkCreateObjects" ? 2 : 0);
    else
      window.setText(name, std::string(name));
  }
  SaveParameters(window, file());
  Bytes bytes = saved();
  for (int n = 1; n <= static_cast<int>(kExpectedOrder.size()); ++n) {
    std::string_view name = kExpectedOrder[n - 1];
    Bytes expected = IsState(name) ? StateRecord(static_cast<std::int16_t>(window.state(name)))
                                   : TextRecord(name);
    EXPECT_EQ(Record(bytes, n), expected) << "record " << n << " " << name;
  }
}

TEST_F(ParameterFile, LoadRestoresSavedSettingsAndLeavesFixedBoxesAlone) {
  SaveParameters(window, file());
  for (const ControlSpec& control : ControlTable()) {
    if (control.kind == ControlKind::TextBox)
      window.setText(control.name, "changed");
    if (control.kind == ControlKind::CheckBox)
      window.setState(control.name, 2);
  }
  ParameterLoadReport report = LoadParameters(window, file());
  EXPECT_TRUE(report.keptSettings.empty());
  EXPECT_FALSE(report.createdEmptyFile);
  for (std::string_view name : kExpectedOrder) {
    const ControlSpec* control = FindControl(name);
    if (IsState(name))
      EXPECT_EQ(window.state(name), control->defaultState) << name;
    else
      EXPECT_EQ(window.text(name), control->defaultText) << name;
  }
  for (std::string_view name : kFixedBoxes)
    EXPECT_EQ(window.text(name), "changed") << name;
}

// Bytes past the last known record are never read: a huge file loads at once.
TEST_F(ParameterFile, LongFileIsReadOnlyAsFarAsItsKnownRecords) {
  SaveParameters(window, file());
  std::filesystem::resize_file(file(), std::uint64_t{5} << 30);  // sparse
  window.setText("txtESP", "changed");
  ParameterLoadReport report = LoadParameters(window, file());
  EXPECT_TRUE(report.keptSettings.empty());
  EXPECT_EQ(window.text("txtESP"), "Brackwyn.esp");
}

TEST_F(ParameterFile, TextEndsAtANulByteWithAWarning) {
  window.setText("txtESP", "abcdef.esp");
  SaveParameters(window, file());
  Bytes bytes = saved();
  bytes[128 + 2 + 3] = 0;  // txtESP is record 2: "abc\0ef.esp"
  std::ofstream(file(), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  ParameterLoadReport report = LoadParameters(window, file());
  EXPECT_EQ(window.text("txtESP"), "abc");
  ASSERT_EQ(report.keptSettings.size(), 1u);
  EXPECT_NE(report.keptSettings[0].find("(txtESP) ends at a NUL byte"), std::string::npos)
      << report.keptSettings[0];
}

struct TextCase {
  const char* label;
  std::string utf8;
  std::string stored;  // the record's bytes after the length

  friend void PrintTo(const TextCase& text, std::ostream* out) { *out << text.label; }
};

class ParameterText : public ParameterFile, public ::testing::WithParamInterface<TextCase> {};

TEST_P(ParameterText, RoundTripsThroughItsRecord) {
  window.setText("txtESP", GetParam().utf8);
  SaveParameters(window, file());
  EXPECT_EQ(Record(saved(), 2), TextRecord(GetParam().stored));
  window.setText("txtESP", "other");
  LoadParameters(window, file());
  EXPECT_EQ(window.text("txtESP"), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(Texts, ParameterText,
                         ::testing::Values(TextCase{"Longest", std::string(126, 'x'),
                                                    std::string(126, 'x')},
                                           TextCase{"Empty", "", ""},
                                           TextCase{"Accented", "Caf\u00e9.esp", "Caf\xE9.esp"},
                                           TextCase{"Euro", "\u20AC", "\x80"},
                                           TextCase{"UndefinedByte", "\u0081", "\x81"},
                                           // 126 bytes in the file, 252 in UTF-8
                                           TextCase{"LongestAccented",
                                                    [] {
                                                      std::string s;
                                                      for (int i = 0; i < 126; ++i)
                                                        s += "\u00e9";
                                                      return s;
                                                    }(),
                                                    std::string(126, '\xE9')}),
                         [](const auto& info) { return info.param.label; });

TEST_F(ParameterFile, GrayedStatesLoadAsGrayed) {
  window.setState("chkCreateObjects", 2);
  window.setState("chkCreateVCLR", 2);
  SaveParameters(window, file());
  window.resetToDefaults();
  LoadParameters(window, file());
  EXPECT_EQ(window.state("chkCreateObjects"), 2);
  EXPECT_EQ(window.state("chkCreateVCLR"), 2);
}

struct RefusedCase {
  const char* label;
  std::string text;
  std::string inMessage;

  friend void PrintTo(const RefusedCase& refused, std::ostream* out) { *out << refused.label; }
};

class RefusedSave : public ParameterFile, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedSave, NamesTheSettingAndKeepsTheOldFile) {
  window.setText("txtBitmapCoast", "old.bmp");
  SaveParameters(window, file());
  Bytes before = saved();
  window.setText("txtBitmapCoast", "new.bmp");
  window.setText("txtObjectIndex", GetParam().text);
  try {
    SaveParameters(window, file());
    FAIL() << "the save was not refused";
  } catch (const RunError& error) {
    std::string message = error.what();
    EXPECT_NE(message.find("txtObjectIndex"), std::string::npos) << message;
    EXPECT_NE(message.find(GetParam().inMessage), std::string::npos) << message;
  }
  EXPECT_EQ(saved(), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RefusedSave,
    ::testing::Values(RefusedCase{"TooLong", std::string(127, 'x'), "127 bytes"},
                      RefusedCase{"TooLongAfterConversion",
                                  std::string(64, 'x') + "\u20AC" + std::string(62, 'x'),
                                  "127 bytes"},
                      RefusedCase{"NotInCharacterSet", "Ostrava\u0159.csv", "U+0159"},
                      RefusedCase{"NotUtf8", "a\xC3", "UTF-8"}),
    [](const auto& info) { return info.param.label; });

TEST_F(ParameterFile, ShortFileAppliesWhatItHoldsAndReportsTheRest) {
  window.setText("txtESM", "Mine.esm");
  window.setState("chkCreateVCLR", 0);
  SaveParameters(window, file());
  Bytes bytes = saved();
  bytes.resize(128 * 9 + 2);  // nine records and the length of the tenth
  WriteBytes(file(), bytes);
  window.resetToDefaults();
  window.setText("txtObjectSeed", "17");
  window.setText("txtVCLR5B", "9");

  ParameterLoadReport report = LoadParameters(window, file());
  EXPECT_EQ(window.text("txtESM"), "Mine.esm");
  EXPECT_EQ(window.text("txtObjectSeed"), "17");
  EXPECT_EQ(window.text("txtVCLR5B"), "9");
  EXPECT_EQ(window.state("chkCreateVCLR"), 1);
  ASSERT_EQ(report.keptSettings.size(), 22u);
  EXPECT_NE(report.keptSettings[0].find("txtObjectSeed"), std::string::npos);
  EXPECT_NE(report.keptSettings[0].find("ends inside its record"), std::string::npos);
  EXPECT_NE(report.keptSettings.back().find("chkCreateVCLR"), std::string::npos);
}

// Records 33 and 34 came later: a file that ends before them leaves their
// settings alone and says nothing; record 32 belongs to no setting here.
TEST_F(ParameterFile, TextureRecords33And34RoundTripAndMayBeMissing) {
  window.setText("txtTextureIndex", "rules.csv");
  window.setState("chkCreateTextures", 2);
  SaveParameters(window, file());
  Bytes bytes = saved();
  EXPECT_EQ(Record(bytes, 32), StateRecord(0));
  EXPECT_EQ(Record(bytes, 33), TextRecord("rules.csv"));
  EXPECT_EQ(Record(bytes, 34), StateRecord(2));
  window.resetToDefaults();
  EXPECT_TRUE(LoadParameters(window, file()).keptSettings.empty());
  EXPECT_EQ(window.text("txtTextureIndex"), "rules.csv");
  EXPECT_EQ(window.state("chkCreateTextures"), 2);

  for (std::size_t size : {std::size_t{128 * 33}, std::size_t{3968}, std::size_t{3842}}) {
    bytes.resize(size);
    WriteBytes(file(), bytes);
    window.setText("txtTextureIndex", "kept.csv");
    window.setState("chkCreateTextures", 1);
    EXPECT_TRUE(LoadParameters(window, file()).keptSettings.empty()) << size;
    EXPECT_EQ(window.text("txtTextureIndex"), size > 128 * 32 ? "rules.csv" : "kept.csv") << size;
    EXPECT_EQ(window.state("chkCreateTextures"), 1) << size;
  }
}

// Records 35 to 41, the heightmap and the world's position, came later still:
// a 34-record file leaves them alone and says nothing.
TEST_F(ParameterFile, HeightmapAndWorldRecords35To41RoundTripAndMayBeMissing) {
  window.setState("chkHeightmap", 1);
  window.setText("txtHeightmap", "land.r16");
  window.setText("txtHeightmapLow", "-800");
  window.setText("txtHeightmapHigh", "9000");
  window.setText("txtWorldX", "40");
  window.setText("txtWorldY", "-10");
  window.setState("chkSkipSeaCells", 2);
  SaveParameters(window, file());
  Bytes bytes = saved();
  EXPECT_EQ(Record(bytes, 35), StateRecord(1));
  EXPECT_EQ(Record(bytes, 36), TextRecord("land.r16"));
  EXPECT_EQ(Record(bytes, 37), TextRecord("-800"));
  EXPECT_EQ(Record(bytes, 38), TextRecord("9000"));
  EXPECT_EQ(Record(bytes, 39), TextRecord("40"));
  EXPECT_EQ(Record(bytes, 40), TextRecord("-10"));
  EXPECT_EQ(Record(bytes, 41), StateRecord(2));

  bytes.resize(4352);
  WriteBytes(file(), bytes);
  window.resetToDefaults();
  window.setText("txtWorldX", "7");
  EXPECT_TRUE(LoadParameters(window, file()).keptSettings.empty());
  EXPECT_EQ(window.text("txtWorldX"), "7");
  EXPECT_EQ(window.state("chkHeightmap"), 0);
  EXPECT_EQ(window.text("txtHeightmap"), "heightmap.png");
}

TEST_F(ParameterFile, FileEndingAfterTheLastStateIsComplete) {
  window.setState("chkCreateVCLR", 2);
  SaveParameters(window, file());
  Bytes bytes = saved();
  bytes.resize(3842);
  WriteBytes(file(), bytes);
  window.resetToDefaults();
  EXPECT_TRUE(LoadParameters(window, file()).keptSettings.empty());
  EXPECT_EQ(window.state("chkCreateVCLR"), 2);
}

// Files written before the normals setting existed end after record 31, with
// or without its padding.
TEST_F(ParameterFile, NormalsRoundTripInRecord32AndOlderFilesLeaveThemAlone) {
  window.setState("chkCreateNormals", 1);
  SaveParameters(window, file());
  Bytes bytes = saved();
  EXPECT_EQ(Record(bytes, 32), StateRecord(1));
  window.setState("chkCreateNormals", 0);
  EXPECT_TRUE(LoadParameters(window, file()).keptSettings.empty());
  EXPECT_EQ(window.state("chkCreateNormals"), 1);

  for (std::size_t length : {std::size_t{3968}, std::size_t{3842}}) {
    bytes.resize(length);
    WriteBytes(file(), bytes);
    window.setState("chkCreateNormals", 2);
    window.setState("chkCreateVCLR", 0);
    ParameterLoadReport report = LoadParameters(window, file());
    EXPECT_TRUE(report.keptSettings.empty()) << length << ": " << report.keptSettings[0];
    EXPECT_EQ(window.state("chkCreateNormals"), 2) << length;
    EXPECT_EQ(window.state("chkCreateVCLR"), 1) << length;
  }
}

TEST_F(ParameterFile, ImpossibleRecordsKeepTheCurrentValue) {
  SaveParameters(window, file());
  Bytes bytes = saved();
  bytes[128 * 7] = 7;          // chkCreateObjects
  bytes[128 * 30 + 1] = 0xFF;  // chkCreateVCLR = -255
  bytes[128 * 1] = 127;        // txtESP claims more text than a record holds
  WriteBytes(file(), bytes);
  window.setState("chkCreateObjects", 1);
  window.setText("txtESP", "kept.esp");

  ParameterLoadReport report = LoadParameters(window, file());
  EXPECT_EQ(window.state("chkCreateObjects"), 1);
  EXPECT_EQ(window.state("chkCreateVCLR"), 1);
  EXPECT_EQ(window.text("txtESP"), "kept.esp");
  ASSERT_EQ(report.keptSettings.size(), 3u);
  EXPECT_NE(report.keptSettings[0].find("txtESP"), std::string::npos);
  EXPECT_NE(report.keptSettings[1].find("state 7"), std::string::npos);
  EXPECT_NE(report.keptSettings[2].find("state -255"), std::string::npos);
}

TEST_F(ParameterFile, MissingFileIsCreatedEmptyAndEverySettingKept) {
  window.setText("txtESP", "kept.esp");
  ParameterLoadReport report = LoadParameters(window, file());
  EXPECT_TRUE(report.createdEmptyFile);
  EXPECT_EQ(report.keptSettings.size(), 31u);
  EXPECT_EQ(window.text("txtESP"), "kept.esp");
  EXPECT_EQ(std::filesystem::file_size(file()), 0u);
}

TEST_F(ParameterFile, UnreadableFileIsNamed) {
  std::filesystem::create_directory(file());
  try {
    LoadParameters(window, file());
    FAIL();
  } catch (const RunError& error) {
    EXPECT_NE(std::string(error.what()).find(kParameterFileName), std::string::npos);
  }
}

}  // namespace
}  // namespace brackwyn
