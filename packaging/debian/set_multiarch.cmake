# SPDX-License-Identifier: MIT
# Run by cpack on the finished packages (CPACK_POST_BUILD_SCRIPTS). The
# library's packages are co-installable across architectures, but CMake
# 3.25's CPack writes no Multi-Arch field: add "Multi-Arch: same" to their
# control files with dpkg-deb, which rebuilds each package as it was.
foreach(_deb IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(_name "${_deb}" NAME)
  set(_wanted FALSE)
  foreach(_package IN LISTS CPACK_QUELMIX_MULTIARCH_PACKAGES)
    if(_name MATCHES "^${_package}_")
      set(_wanted TRUE)
    endif()
  endforeach()
  if(NOT _wanted)
    continue()
  endif()
  set(_tree "${_deb}.tree")
  file(REMOVE_RECURSE "${_tree}")
  execute_process(COMMAND dpkg-deb -R "${_deb}" "${_tree}"
    RESULT_VARIABLE _status)
  if(NOT _status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb could not open ${_deb}")
  endif()
  file(READ "${_tree}/DEBIAN/control" _control)
  if(NOT _control MATCHES "(^|\n)Multi-Arch:")
    string(REGEX REPLACE "(^|\n)(Architecture: [^\n]*\n)"
      "\\1\\2Multi-Arch: same\n" _control "${_control}")
    file(WRITE "${_tree}/DEBIAN/control" "${_control}")
  endif()
  execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip -b "${_tree}"
      "${_deb}"
    RESULT_VARIABLE _status OUTPUT_QUIET)
  file(REMOVE_RECURSE "${_tree}")
  if(NOT _status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb could not rebuild ${_deb}")
  endif()
endforeach()
