# SPDX-License-Identifier: MIT
# Installs the header, the versioned shared library, the checker, a
# pkg-config file and a CMake package exporting quelmix::config_parser; and
# describes the Debian package cpack builds from the same files.
include(CMakePackageConfigHelpers)

set(QUELMIX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/quelmix_config_parser)

install(TARGETS quelmix_config_parser
  EXPORT quelmix_config_parser_targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    COMPONENT runtime NAMELINK_COMPONENT development
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/quelmix_config_parser.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
if(TARGET quelmix-config-check)
  install(TARGETS quelmix-config-check
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
endif()

install(EXPORT quelmix_config_parser_targets
  NAMESPACE quelmix::
  FILE quelmix_config_parserTargets.cmake
  DESTINATION ${QUELMIX_CMAKE_DIR} COMPONENT development)
configure_package_config_file(
  ${CMAKE_CURRENT_LIST_DIR}/quelmix_config_parserConfig.cmake.in
  ${PROJECT_BINARY_DIR}/quelmix_config_parserConfig.cmake
  INSTALL_DESTINATION ${QUELMIX_CMAKE_DIR})
write_basic_package_version_file(
  ${PROJECT_BINARY_DIR}/quelmix_config_parserConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/quelmix_config_parserConfig.cmake
  ${PROJECT_BINARY_DIR}/quelmix_config_parserConfigVersion.cmake
  DESTINATION ${QUELMIX_CMAKE_DIR} COMPONENT development)

# The .pc file finds the prefix relative to itself, so it stays right for
# `cmake --install --prefix P` and inside the Debian package alike.
set(QUELMIX_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH QUELMIX_PC_TO_PREFIX
  /prefix/${QUELMIX_PKGCONFIG_DIR} /prefix)
string(REGEX REPLACE "/$" "" QUELMIX_PC_TO_PREFIX "${QUELMIX_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/quelmix_config_parser.pc.in
  ${PROJECT_BINARY_DIR}/quelmix_config_parser.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/quelmix_config_parser.pc
  DESTINATION ${QUELMIX_PKGCONFIG_DIR} COMPONENT development)

set(CPACK_PACKAGE_NAME libquelmix-config-parser)
set(CPACK_PACKAGE_VENDOR "quelmix")
set(CPACK_PACKAGE_CONTACT "quelmix developers <dev@quelmix.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34)")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
