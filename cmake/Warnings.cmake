# SPDX-License-Identifier: MIT
# Warnings are always on; QUELMIX_WERROR makes them errors.
add_library(quelmix_warnings INTERFACE)
target_compile_options(quelmix_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wcast-qual -Wformat=2 -Wundef
  $<$<COMPILE_LANGUAGE:CXX>:-Wold-style-cast -Wnon-virtual-dtor>
  $<$<BOOL:${QUELMIX_WERROR}>:-Werror>)
# GCC 12 at -O3 takes the string concatenations of the standard library for
# overlapping copies (-Wrestrict reports copies of 2^63 bytes); the warning
# says nothing about our code there, so that release goes without it.
target_compile_options(quelmix_warnings INTERFACE
  $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)

if(QUELMIX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(QUELMIX_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
                      -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
