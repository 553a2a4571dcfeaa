#!/usr/bin/env bash
# Makes build/brackwyn_<version>_amd64.deb with CPack's DEB generator: the
# window, the runner, the example-world maker, the menu entry, icons, manual
# pages and Debian's copyright and changelog. Reuses the Release build that
# tools/run-tests.sh leaves in build/ and builds only what the package holds.
# Install it with: sudo apt install ./build/brackwyn_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
# The changelog's and manual pages' dates: the last commit's, not the day of
# the build.
if [[ -z ${SOURCE_DATE_EPOCH:-} ]] && git rev-parse --git-dir >/dev/null 2>&1; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
  export SOURCE_DATE_EPOCH
fi
# Without the install-all dependency, CPack builds nothing beyond the targets
# below: not the tests and benchmarks.
options=(-DCMAKE_BUILD_TYPE=Release -DBRACKWYN_MAN_PAGES=ON -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON)
command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target brackwyn-cli make_example_world brackwyn_man_pages \
  brackwyn_changelog
if [[ ! -f $build/src/gui/brackwyn ]]; then
  echo "package-linux: the window was not built (is qt6-base-dev installed?)" >&2
  exit 1
fi

rm -f "$build"/brackwyn_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls "$build"/brackwyn_*.deb)
echo "Packaged $PWD/$package"
