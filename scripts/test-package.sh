#!/usr/bin/env bash
# The library as a host developer gets it: installs the build folder given as
# $1 into a temporary prefix, builds examples/minimal_host.c out of tree
# through find_package and through pkg-config and runs it, configures a project
# that adds this one with add_subdirectory, installs the Python
# package offline with Debian's pip, and builds the Debian package and checks
# what it holds.
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "test-package: $*" >&2; exit 1; }

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(dirname "$(find "$prefix" -name 'libOstrelDesignCSA94.so' -print -quit)")
readelf -d "$libdir/libOstrelDesignCSA94.so" | grep -q 'SONAME.*\[libOstrelDesignCSA94\.so\.1\]' ||
  fail "the installed library has no soname libOstrelDesignCSA94.so.1"
leaked=$(nm -DC --defined-only "$libdir/libOstrelDesignCSA94.so" |
         grep -v ' clsDesignCSA94\(_\|::\)\| OstrelDesignCSA94_' || true)
[ -z "$leaked" ] || fail "the library exports more than its interface: $leaked"
"$prefix/bin/ostrel-design" --help >/dev/null || fail "the installed program does not start"

# find_package, with the version asked for: 1.0 is found, 2.0 is not.
mkdir "$tmp/host"
cat >"$tmp/host/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(minimal_host C)
find_package(OstrelDesignCSA94 \${WANTED} CONFIG REQUIRED)
add_executable(minimal_host $src/examples/minimal_host.c)
target_link_libraries(minimal_host PRIVATE OstrelDesignCSA94::OstrelDesignCSA94)
CMAKE
cmake -S "$tmp/host" -B "$tmp/host-build" -DWANTED=1.0 -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$tmp/host-build" >/dev/null
"$tmp/host-build/minimal_host" | grep -q '^plate 1, x: As = ' || fail "find_package host"
if cmake -S "$tmp/host" -B "$tmp/host-v2" -DWANTED=2.0 -DCMAKE_PREFIX_PATH="$prefix" \
     >/dev/null 2>&1; then
  fail "find_package accepted version 2.0 from a 1.0 package"
fi

# pkg-config
export PKG_CONFIG_PATH=$libdir/pkgconfig
cc -std=c11 -Wall -Wextra -Werror -o "$tmp/pc_host" "$src/examples/minimal_host.c" \
  $(pkg-config --cflags --libs OstrelDesignCSA94)
LD_LIBRARY_PATH=$(pkg-config --variable=libdir OstrelDesignCSA94) "$tmp/pc_host" |
  grep -q '^plate 1, x: As = ' || fail "pkg-config host"

# A project that adds this one with add_subdirectory (or FetchContent) needs
# none of the test, benchmark or command-line packages.
mkdir "$tmp/embedding"
cat >"$tmp/embedding/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(embedding C CXX)
add_subdirectory($src ostrel)
add_executable(host $src/examples/minimal_host.c)
target_link_libraries(host PRIVATE OstrelDesignCSA94::OstrelDesignCSA94)
CMAKE
cmake --no-warn-unused-cli -S "$tmp/embedding" -B "$tmp/embedding-build" \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON -DCMAKE_DISABLE_FIND_PACKAGE_nlohmann_json=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_CLI11=ON >/dev/null || fail "add_subdirectory configure"

# The Python package, offline, from a copy (pip builds in the source folder).
cp -r "$src/python" "$tmp/python-src"
/usr/bin/python3 -m pip install --quiet --no-index --no-cache-dir --target "$tmp/site" \
  "$tmp/python-src" >/dev/null 2>&1 || fail "pip install ./python"
(cd "$tmp" && PYTHONPATH="$tmp/site" OSTREL_LIBRARY="$libdir/libOstrelDesignCSA94.so.1" \
  /usr/bin/python3 -c 'import ostrel; assert ostrel.library_version() == "1.0.0"') ||
  fail "the pip-installed package does not load the library"

# The Debian package holds the library, both headers, the CMake and
# pkg-config files and the program.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/deb" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$tmp"/deb/*.deb)
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/lib/libOstrelDesignCSA94.so.1.0 ./usr/lib/libOstrelDesignCSA94.so.1 \
         ./usr/lib/libOstrelDesignCSA94.so ./usr/include/OstrelDesignCSA94.h \
         ./usr/include/OstrelDesignCSA94.hpp \
         ./usr/lib/cmake/OstrelDesignCSA94/OstrelDesignCSA94Config.cmake \
         ./usr/lib/cmake/OstrelDesignCSA94/OstrelDesignCSA94ConfigVersion.cmake \
         ./usr/lib/cmake/OstrelDesignCSA94/OstrelDesignCSA94Targets.cmake \
         ./usr/lib/pkgconfig/OstrelDesignCSA94.pc ./usr/bin/ostrel-design; do
  grep -qxF "$f" <<<"$contents" || fail "$(basename "$deb") lacks $f"
done
echo "test-package: install, find_package, pkg-config, pip and Debian package OK"
