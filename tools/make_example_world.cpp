// Writes an example island, coast.bmp, interior.bmp and mountain.bmp, its
// objects, objects.csv and one density bitmap per kind, and its texture rules,
// textures.csv, into a folder, so that a newcomer sees a real result without
// painting anything.
// The output is the same on every machine: the noise is integer hashing and
// IEEE double arithmetic only.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <vector>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#include "core/utf8_path.hpp"
#include "example_objects.hpp"
#include "example_textures.hpp"
#include "gray_bitmap_writer.hpp"

namespace {

using brackwyn::kBitmapSide;

std::uint32_t Hash(std::int32_t x, std::int32_t y, std::uint32_t salt) {
  std::uint64_t h = static_cast<std::uint32_t>(x) * 0x9E3779B1ull ^
                    static_cast<std::uint32_t>(y) * 0x85EBCA77ull ^ salt * 0xC2B2AE3Dull;
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 32;
  return static_cast<std::uint32_t>(h);
}

double SmoothStep(double t) {
  return t * t * (3 - 2 * t);
}

// Value noise in [0, 1] with a lattice of `cell` pixels.
double ValueNoise(double x, double y, double cell, std::uint32_t salt) {
  double gx = x / cell, gy = y / cell;
  auto x0 = static_cast<std::int32_t>(std::floor(gx));
  auto y0 = static_cast<std::int32_t>(std::floor(gy));
  double fx = SmoothStep(gx - x0), fy = SmoothStep(gy - y0);
  auto corner = [&](int dx, int dy) { return Hash(x0 + dx, y0 + dy, salt) / 4294967295.0; };
  double bottom = corner(0, 0) + (corner(1, 0) - corner(0, 0)) * fx;
  double top = corner(0, 1) + (corner(1, 1) - corner(0, 1)) * fx;
  return bottom + (top - bottom) * fy;
}

double Fractal(double x, double y, double cell, std::uint32_t salt) {
  double sum = 0, weight = 1, total = 0;
  for (int octave = 0; octave < 4; ++octave) {
    sum += weight * ValueNoise(x, y, cell, salt + octave);
    total += weight;
    weight *= 0.5;
    cell *= 0.5;
  }
  return sum / total;
}

double Clamp01(double v) {
  return std::clamp(v, 0.0, 1.0);
}

// How far inside the island a pixel lies: 0 on the shore line, positive
// inland, negative at sea, in units of the island's radius.
std::vector<double> Inland() {
  std::vector<double> inland(std::size_t{kBitmapSide} * kBitmapSide);
  const double centre = kBitmapSide / 2.0;
  for (int y = 0; y < kBitmapSide; ++y) {
    for (int x = 0; x < kBitmapSide; ++x) {
      double dx = x - centre, dy = (y - centre) * 1.15;
      double radius = 1150 + 420 * (Fractal(x, y, 700, 11) - 0.5);
      inland[std::size_t{kBitmapSide} * y + x] = 1 - std::sqrt(dx * dx + dy * dy) / radius;
    }
  }
  return inland;
}

int Coast(double inland) {
  if (inland < 0)
    return static_cast<int>(std::lround(223 * std::pow(Clamp01(1 + inland * 2.6), 1.6)));
  return 224 + static_cast<int>(std::lround(31 * SmoothStep(Clamp01(inland * 9))));
}

int Interior(double inland, int x, int y) {
  double hills = Fractal(x, y, 420, 23);
  return static_cast<int>(std::lround(255 * SmoothStep(Clamp01(inland * 5)) * hills));
}

int Mountain(double inland, int x, int y) {
  // A ridge that winds from the south-west to the north-east of the island.
  double along = (x + y) / 2.0;
  double across = (x - y) / 1.4142 + 260 * std::sin(along / 430.0);
  double ridge = std::exp(-(across * across) / (2 * 230.0 * 230.0));
  double peaks = 0.45 + 0.55 * Fractal(x, y, 300, 37);
  return static_cast<int>(std::lround(255 * ridge * peaks * SmoothStep(Clamp01(inland * 2.2))));
}

// The words after the program name, as paths.
int MakeExampleWorld(const std::vector<std::filesystem::path>& arguments) {
  if (arguments.size() > 1 || (arguments.size() == 1 && arguments[0] == "--help")) {
    std::cout << "usage: make_example_world [FOLDER]\n"
                 "Writes coast.bmp, interior.bmp and mountain.bmp of an example island,\n"
                 "objects.csv with the density bitmaps of its objects, and textures.csv.\n";
    return arguments.size() > 1 ? 2 : 0;
  }
  std::filesystem::path folder = arguments.empty() ? "." : arguments[0];
  try {
    std::filesystem::create_directories(folder);
    std::vector<double> inland = Inland();
    auto at = [&](int x, int y) { return inland[std::size_t{kBitmapSide} * y + x]; };
    using brackwyn::tools::WriteGrayBitmap;
    WriteGrayBitmap(folder / "coast.bmp", [&](int x, int y) { return Coast(at(x, y)); });
    WriteGrayBitmap(folder / "interior.bmp",
                    [&](int x, int y) { return Interior(at(x, y), x, y); });
    std::vector<std::uint8_t> mountain(inland.size());
    for (int y = 0; y < kBitmapSide; ++y)
      for (int x = 0; x < kBitmapSide; ++x)
        mountain[std::size_t{kBitmapSide} * y + x] =
            static_cast<std::uint8_t>(Mountain(at(x, y), x, y));
    WriteGrayBitmap(folder / "mountain.bmp",
                    [&](int x, int y) { return mountain[std::size_t{kBitmapSide} * y + x]; });
    brackwyn::tools::WriteExampleObjects(folder, [&](int x, int y) {
      return brackwyn::tools::ExampleGround{at(x, y),
                                            mountain[std::size_t{kBitmapSide} * y + x] / 255.0,
                                            Fractal(x, y, 380, 101), Fractal(x, y, 60, 131)};
    });
    brackwyn::tools::WriteExampleTextures(folder);
  } catch (const std::exception& error) {
    std::cerr << "make_example_world: " << error.what() << "\n";
    return 1;
  }
  std::cout << "Wrote coast.bmp, interior.bmp, mountain.bmp, objects.csv, the density bitmaps and "
               "textures.csv to "
            << brackwyn::Utf8FromPath(folder) << "\n";
  return 0;
}

}  // namespace

#ifdef _WIN32
// The UTF-16 command line: char** argv would hold the ANSI code page's
// approximation of a folder name.
int wmain(int argc, wchar_t** argv) {
  ::SetConsoleOutputCP(CP_UTF8);
  if (argc > 1)
    return MakeExampleWorld({argv + 1, argv + argc});
  // Started without a folder, as a double-click starts it: the current
  // folder is then wherever Explorer chose, so the world goes beside the
  // program, where the user will look.
  std::wstring self(MAX_PATH, L'\0');
  DWORD length;
  while ((length = ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()))) ==
         self.size())
    self.resize(self.size() * 2);
  self.resize(length);
  std::filesystem::path folder = std::filesystem::path(self).parent_path() / L"example";
  int status = MakeExampleWorld({folder});
  if (status == 0) {
    std::cout << "\nNext: drag the folder \"example\" onto brackwyn.exe and press \"Create "
                 "Landscape/ESP\".\n";
  }
  // The console was made for this program alone and closes with it: keep it
  // open until the message is read. From a command prompt, return at once.
  DWORD processes[2];
  if (::GetConsoleProcessList(processes, 2) == 1) {
    std::cout << "Press Enter to close this window." << std::flush;
    std::cin.get();
  }
  return status;
}
#else
int main(int argc, char** argv) {
  return MakeExampleWorld({argv + 1, argv + argc});
}
#endif
