#!/usr/bin/env bash
# Installs what building, testing and packaging Brackwyn needs on Debian 12
# (run as root).
set -euo pipefail

packages=(
  build-essential cmake          # compiler and build
  libgtest-dev libbenchmark-dev  # tests and benchmarks
  libcli11-dev                   # the runner's option parsing
  qt6-base-dev                   # the desktop window (optional: the rest builds without it)
  libpng-dev                     # preview pictures and heightmaps
  libstb-dev                     # preview pictures and heightmaps in the Windows build (no MinGW libpng)
  clang-14 libfuzzer-14-dev      # the fuzz targets (tools/run-fuzz.sh)
  openmw-cs                      # esmtool, an independent reader used to check written plugins
  g++-mingw-w64-x86-64-posix     # the Windows cross build (tools/windows-check.sh)
  wine wine64                    # runs the Windows tests, runner and window
  xvfb xdotool imagemagick       # a display for the Windows window, keys for it, its picture
  zip                            # the Windows package (tools/package-windows.sh)
  help2man file                  # the Debian package's manual pages and dependencies
  lintian desktop-file-utils     # checks of the Debian package (tools/linux-package-check.sh)
  locales-all                    # a decimal-comma locale for the number-reading test
  ccache                         # CI builds several configurations
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
else
  echo "All build and test packages are installed."
fi
