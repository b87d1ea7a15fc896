#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the library in each build type a host may choose and checks that it
# needs libc.so.6 alone, then consumes it the three ways a host project would:
# an installed CMake package (find_package), pkg-config with a plain cc
# command, and the source tree as a subproject. Each consumer runs on the
# sample. CMAKE_GENERATOR and CMAKE_<LANG>_COMPILER_LAUNCHER pass through.
# Usage: run_consumers.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
sample=$source_dir/examples/sample.cfg
expected="result=0 size=1280x720 commands=19 controls=2 version=10200"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check() { # NAME OUTPUT
  if [ "$2" != "$expected" ]; then
    echo "$1: got '$2', want '$expected'"
    exit 1
  fi
  echo "$1: ok"
}

# What an ELF file needs at run time, one name per line.
needs() { readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p'; }
needs_only() { # NAME FILE WANTED...
  local name=$1 file=$2
  shift 2
  local got want
  got=$(needs "$file" | sort | tr '\n' ' ')
  want=$(printf '%s\n' "$@" | sort | tr '\n' ' ')
  if [ "$got" != "$want" ]; then
    echo "$name: $(basename "$file") needs [$got], want [$want]"
    exit 1
  fi
  echo "$name: needs $want"
}
library_alone() { # DIR CMAKE_ARGS...
  local dir=$1
  shift
  cmake -S "$source_dir" -B "$dir" -DQUELMIX_BUILD_TOOLS=OFF -DBUILD_TESTING=OFF \
    -DQUELMIX_INSTALL=OFF "$@" >/dev/null
  cmake --build "$dir" -j2 --target quelmix_config_parser >"$dir.log" 2>&1
}

# 0. The library in each build type needs libc.so.6 alone: nothing of the
# C++ run-time, however little the compiler optimises.
# The build type of the build under test is not built a second time.
built_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build_dir/CMakeCache.txt")
for type in Debug RelWithDebInfo Release; do
  library=$build_dir/src/libquelmix_config_parser.so
  if [ "$type" != "$built_type" ] || [ ! -e "$library" ]; then
    library_alone "$work/$type" -DCMAKE_BUILD_TYPE=$type ||
      { cat "$work/$type.log"; exit 1; }
    library=$work/$type/src/libquelmix_config_parser.so
  fi
  needs_only "$type" "$library" libc.so.6
done
# The link itself refuses the C++ run-time: a reference to operator new
# slipped into every object fails the build, in the shared image and in the
# static library's check alike.
cat >"$work/stray.hpp" <<'CXX'
#include <new>
[[maybe_unused]] static void *const quelmix_stray = ::operator new(1);
CXX
for kind in OFF ON; do
  if library_alone "$work/stray-$kind" -DCMAKE_BUILD_TYPE=Debug -DQUELMIX_STATIC=$kind \
    "-DCMAKE_CXX_FLAGS=-include $work/stray.hpp"; then
    echo "stray operator new (static $kind): the library linked"
    exit 1
  fi
  grep -q "undefined reference to .operator new" "$work/stray-$kind.log" ||
    { cat "$work/stray-$kind.log"; exit 1; }
  echo "stray operator new (static $kind): the link refused it"
done

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
# The tools' manual pages send readers to README: it is installed too.
if [ -e "$work/prefix/bin/quelmix-config-check" ] &&
  [ ! -e "$work/prefix/share/doc/quelmix-config-tools/README.md" ]; then
  echo "install: no README where the manual pages send readers"
  exit 1
fi

# 1. find_package against the installed package.
mkdir -p "$work/find_package"
cp "$source_dir/tests/consumers/consumer.c" "$work/find_package/"
cat >"$work/find_package/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.21)
project(consumer C)
find_package(quelmix_config_parser 1 REQUIRED)
add_executable(consumer consumer.c)
target_link_libraries(consumer PRIVATE quelmix::config_parser)
CMAKE
cmake -S "$work/find_package" -B "$work/find_package/build" \
  -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/find_package/build" >/dev/null
check find_package "$("$work/find_package/build/consumer" "$sample")"

# 2. pkg-config and docs/library.md's compiler command (its run path recorded). The
# file names the prefix plainly: no "pkgconfig/.." walks in its paths.
pc=$(find "$work/prefix" -name quelmix_config_parser.pc)
if grep -q '\.\.' "$pc" || ! grep -qx "prefix=$work/prefix" "$pc"; then
  echo "pkg-config: paths not plain:"
  cat "$pc"
  exit 1
fi
export PKG_CONFIG_PATH=$(dirname "$pc")
# shellcheck disable=SC2046
cc -std=c99 -Wall -Werror "$source_dir/tests/consumers/consumer.c" \
  $(pkg-config --cflags --libs quelmix_config_parser) \
  -Wl,-rpath,$(pkg-config --variable=libdir quelmix_config_parser) \
  -o "$work/pkg_config_consumer"
check pkg-config "$("$work/pkg_config_consumer" "$sample")"

# 3. The source tree as a subproject, with docs/library.md's own CMakeLists.txt, twice:
# the shared library installed beside the host's program, and the static
# choice. Either way the installed program runs, and the host's own cache is
# left alone.
readme_subproject=$(awk '/^# 3\. CMake, the source tree as a subproject/{f=1}
  f && /^```$/{exit} f' "$source_dir/docs/library.md")
[ -n "$readme_subproject" ] || { echo "docs/library.md: the subproject text not found"; exit 1; }
subproject() { # NAME EXTRA_CMAKE_ARGS...
  local name=$1
  shift
  local dir=$work/$name
  mkdir -p "$dir"
  cp "$source_dir/tests/consumers/consumer.c" "$dir/host.c"
  echo "$readme_subproject" |
    sed "s|add_subdirectory(third_party/quelmix_config_parser)|add_subdirectory(\"$source_dir\" quelmix)|" \
      >"$dir/CMakeLists.txt"
  grep -q "add_subdirectory(\"$source_dir\"" "$dir/CMakeLists.txt" ||
    { echo "$name: the add_subdirectory line of docs/library.md changed"; exit 1; }
  cmake -S "$dir" -B "$dir/build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON "$@" >/dev/null
  if grep -q '^CMAKE_BUILD_TYPE:STRING=.' "$dir/build/CMakeCache.txt"; then
    echo "$name: the subproject wrote the host's CMAKE_BUILD_TYPE"
    exit 1
  fi
  if [ -e "$dir/build/quelmix/tests" ]; then
    echo "$name: the library's tests were configured"
    exit 1
  fi
  cmake --build "$dir/build" -j2 >/dev/null
  cmake --install "$dir/build" --prefix "$dir/installed" >/dev/null
  check "$name" "$("$dir/installed/bin/camera_host" "$sample")"
  # No build type: the library is optimised and hardened all the same, and
  # the host's own file is compiled as the host said (no flags at all).
  local commands=$dir/build/compile_commands.json
  grep -q -- '-O2 .*-D_FORTIFY_SOURCE=2 .*parser/text.cpp"' "$commands" ||
    { echo "$name: the library is built without -O2 and fortify"; exit 1; }
  if grep -q -- '-O[0-9s].*host\.c"' "$commands"; then
    echo "$name: the host's flags were changed"
    exit 1
  fi
}
subproject subproject-shared
installed_library=$(find "$work/subproject-shared/installed" -name 'libquelmix_config_parser.so.1')
[ -n "$installed_library" ] || { echo "subproject-shared: the library is not installed"; exit 1; }
needs_only subproject-shared "$installed_library" libc.so.6
needs_only subproject-shared-host "$work/subproject-shared/installed/bin/camera_host" \
  libquelmix_config_parser.so.1 libc.so.6
subproject subproject-static -DQUELMIX_STATIC=ON
needs_only subproject-static-host "$work/subproject-static/installed/bin/camera_host" libc.so.6
