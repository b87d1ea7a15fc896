#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Consumes the library the three ways a host project would: an installed
# CMake package (find_package), pkg-config with a plain cc command, and the
# source tree as a subproject. Each consumer runs on the sample.
# Usage: run_consumers.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
sample=$source_dir/examples/sample.cfg
expected="result=0 size=1280x720 commands=19 controls=2 version=10000"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check() { # NAME OUTPUT
  if [ "$2" != "$expected" ]; then
    echo "$1: got '$2', want '$expected'"
    exit 1
  fi
  echo "$1: ok"
}

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null

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

# 2. pkg-config and a plain cc command.
pc_dir=$(dirname "$(find "$work/prefix" -name quelmix_config_parser.pc)")
flags=$(PKG_CONFIG_PATH=$pc_dir pkg-config --cflags --libs quelmix_config_parser)
# shellcheck disable=SC2086
cc -std=c99 -Wall -Werror "$source_dir/tests/consumers/consumer.c" $flags \
  -o "$work/pkg_config_consumer"
libdir=$(PKG_CONFIG_PATH=$pc_dir pkg-config --variable=libdir quelmix_config_parser)
check pkg-config "$(LD_LIBRARY_PATH=$libdir "$work/pkg_config_consumer" "$sample")"

# 3. The source tree as a subproject: same target, no install, no tests.
mkdir -p "$work/subproject"
cp "$source_dir/tests/consumers/consumer.c" "$work/subproject/"
cat >"$work/subproject/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.21)
project(consumer C CXX)
add_subdirectory("$source_dir" quelmix)
add_executable(consumer consumer.c)
target_link_libraries(consumer PRIVATE quelmix::config_parser)
CMAKE
cmake -S "$work/subproject" -B "$work/subproject/build" >/dev/null
cmake --build "$work/subproject/build" -j2 >/dev/null
if [ -e "$work/subproject/build/quelmix/tests" ]; then
  echo "subproject: the library's tests were configured"
  exit 1
fi
check subproject "$("$work/subproject/build/consumer" "$sample")"
