# SPDX-License-Identifier: MIT
# Read by cpack before it makes any package (CPACK_PROJECT_CONFIG_FILE).
# Without `file` CPack cannot look at the binaries, and without
# dpkg-shlibdeps (Debian's dpkg-dev) it would make packages with no
# Depends at all: stop with a clear message instead.
if(CPACK_GENERATOR STREQUAL "DEB")
  find_program(_quelmix_file file)
  find_program(_quelmix_shlibdeps dpkg-shlibdeps)
  set(_missing)
  if(NOT _quelmix_file)
    list(APPEND _missing "file (the package 'file')")
  endif()
  if(NOT _quelmix_shlibdeps)
    list(APPEND _missing "dpkg-shlibdeps (the package 'dpkg-dev')")
  endif()
  if(_missing)
    list(JOIN _missing " and " _missing)
    message(FATAL_ERROR "The Debian packages need ${_missing}, which work "
      "out what the packages depend on: apt-get install file dpkg-dev")
  endif()
endif()
