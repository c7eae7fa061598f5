#!/usr/bin/env bash
# Cross-builds krnctl.exe for 64-bit Windows with Debian's MinGW-w64 compiler, statically linked
# so that the .exe runs alone, into build-windows/ (the release artefact:
# build-windows/src/cli/krnctl.exe), and the Wine tests' stand-in for FTD2XX.DLL
# (build-windows/tests/windows/FTD2XX.DLL), and the zip a Windows user unpacks anywhere:
# build-windows/krnctl-VERSION-windows-x64.zip with krnctl.exe, the data folder beside it (where
# the program looks for its shipped data), README.md and LICENSE. krnsim and krnsetup are not
# built for Windows here (see docs/windows.md).
#   scripts/build-windows.sh [-jN]     parallel jobs (default 2)
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${1:--j2}
dir=build-windows
command -v x86_64-w64-mingw32-g++-posix >/dev/null || {
    echo "build-windows: the MinGW-w64 cross compiler is missing; run scripts/setup.sh" >&2
    exit 1
}

# CLI11 is header-only: a copy of Debian's headers for the cross compiler, which must not see
# the rest of /usr/include.
mkdir -p "$dir/cli11"
rm -rf "$dir/cli11/CLI"
cp -r /usr/include/CLI "$dir/cli11/CLI"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DKRN_WERROR=ON -DBUILD_TESTING=OFF -DKRN_BENCHMARKS=OFF \
    -DKRN_CLI11_INCLUDE="$PWD/$dir/cli11" "${launcher[@]}" >/dev/null
# FTD2XX.DLL here is the tests' stand-in on top of the simulator, never shipped.
nice -n 10 cmake --build "$dir" "$jobs" --target krnctl ftd2xx_sim
x86_64-w64-mingw32-strip "$dir/src/cli/krnctl.exe"
echo "build-windows: $dir/src/cli/krnctl.exe ($(stat -c %s "$dir/src/cli/krnctl.exe") bytes)"

# The zip: one folder named like the zip, so that unpacking it never scatters files.
version=$(sed -n 's/^project(krnsetup VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name="krnctl-$version-windows-x64"
stage="$dir/zip/$name"
rm -rf "$dir/zip" "$dir/$name.zip"
mkdir -p "$stage"
cp "$dir/src/cli/krnctl.exe" README.md LICENSE "$stage/"
cp -r data "$stage/data"
(cd "$dir/zip" && zip -qr -X "../$name.zip" "$name")
echo "build-windows: $dir/$name.zip"
