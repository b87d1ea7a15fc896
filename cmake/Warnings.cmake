# SPDX-License-Identifier: MIT
# Warnings are always on; QUELMIX_WERROR (set in CI) makes them errors.
add_library(quelmix_warnings INTERFACE)
target_compile_options(quelmix_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wcast-qual -Wformat=2 -Wundef
  $<$<COMPILE_LANGUAGE:CXX>:-Wold-style-cast -Wnon-virtual-dtor>
  $<$<BOOL:${QUELMIX_WERROR}>:-Werror>)

# The hardening Debian builds with, on every target (through the warnings
# target, which every target links). Fortify needs an optimised build.
add_library(quelmix_hardening INTERFACE)
if(QUELMIX_HARDEN AND NOT QUELMIX_SANITIZE AND NOT QUELMIX_FUZZ)
  set(_optimised "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
  target_compile_options(quelmix_hardening INTERFACE
    -fstack-protector-strong
    "$<${_optimised}:-U_FORTIFY_SOURCE>" "$<${_optimised}:-D_FORTIFY_SOURCE=2>")
  target_link_options(quelmix_hardening INTERFACE -Wl,-z,relro,-z,now)
endif()
target_link_libraries(quelmix_warnings INTERFACE quelmix_hardening)

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
