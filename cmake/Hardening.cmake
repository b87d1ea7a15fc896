# SPDX-License-Identifier: MIT
# The hardening Debian builds with, for what this project ships: the
# library and the tools (quelmix_harden(<target>...)). QUELMIX_HARDEN=OFF
# drops all of it; sanitizer and fuzzer builds have their own run-times.
add_library(quelmix_hardening INTERFACE)
# A host project that sets no build type (CMake's default) compiles with no
# flags at all; what this project ships is optimised all the same, by an
# option on its own targets: the host's variables are left as they are.
set(_no_build_type "$<STREQUAL:$<CONFIG>,>")
target_compile_options(quelmix_hardening INTERFACE "$<${_no_build_type}:-O2>")
if(QUELMIX_HARDEN AND NOT QUELMIX_SANITIZE AND NOT QUELMIX_FUZZ)
  set(_optimised "$<OR:$<CONFIG:Release,RelWithDebInfo,MinSizeRel>,${_no_build_type}>")
  target_compile_options(quelmix_hardening INTERFACE
    -fstack-protector-strong
    "$<${_optimised}:-U_FORTIFY_SOURCE>" "$<${_optimised}:-D_FORTIFY_SOURCE=2>")
  target_link_options(quelmix_hardening INTERFACE -Wl,-z,relro,-z,now)
endif()

function(quelmix_harden)
  foreach(_target IN LISTS ARGN)
    target_link_libraries(${_target} PRIVATE quelmix_hardening)
  endforeach()
endfunction()
