#!/usr/bin/env bash
# From a fresh Debian 12 machine (as root) to a finished example plugin:
# installs what is missing, builds, writes the example world and its plugin.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-dependencies.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)"

world=example
build/tools/make_example_world "$world"
build/src/cli/brackwyn-cli -C "$world" --set chkCreateObjects=1 --set chkCreateNormals=1

echo
echo "The example plugin is $(realpath "$world")/Brackwyn.esp"
