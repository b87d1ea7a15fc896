# SPDX-License-Identifier: MIT
# Install rules in three components, which cpack turns into the three Debian
# packages a library is split into:
#   runtime      libquelmix-config-parser1     the .so.1 and its SONAME link
#   development  libquelmix-config-parser-dev  header, .so link, pkg-config,
#                                              CMake package, the (3) page
#   tools        quelmix-config-tools          the tools and their (1) pages
#   python       python3-quelmix-config        the Python package
# `cmake --install build --prefix P` installs all four.
include(CMakePackageConfigHelpers)

set(QUELMIX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/quelmix_config_parser)
set(QUELMIX_DEB_RUNTIME libquelmix-config-parser${PROJECT_VERSION_MAJOR})
set(QUELMIX_DEB_DEV libquelmix-config-parser-dev)
set(QUELMIX_DEB_TOOLS quelmix-config-tools)
set(QUELMIX_DEB_PYTHON python3-quelmix-config)
set(QUELMIX_DEB_RELEASE 1)
set(QUELMIX_DEB_VERSION ${PROJECT_VERSION}-${QUELMIX_DEB_RELEASE})

install(TARGETS quelmix_config_parser
  EXPORT quelmix_config_parser_targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    COMPONENT runtime NAMELINK_COMPONENT development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/quelmix_config_parser.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

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

# The .pc file names the prefix it is installed under (the prefix of
# `cmake --install --prefix P`, or /usr in the packages), so that paths read
# `${prefix}/include` and pkg-config can drop the system's own folders. It
# is written when it is installed, once that prefix is known.
set(QUELMIX_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
set(QUELMIX_PC_PREFIX "@QUELMIX_PC_PREFIX@") # left for the install step
configure_file(${CMAKE_CURRENT_LIST_DIR}/quelmix_config_parser.pc.in
  ${PROJECT_BINARY_DIR}/quelmix_config_parser.pc.template @ONLY)
install(CODE "
  set(QUELMIX_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  configure_file(\"${PROJECT_BINARY_DIR}/quelmix_config_parser.pc.template\"
    \"${PROJECT_BINARY_DIR}/installed/quelmix_config_parser.pc\" @ONLY)
  " COMPONENT development)
install(FILES ${PROJECT_BINARY_DIR}/installed/quelmix_config_parser.pc
  DESTINATION ${QUELMIX_PKGCONFIG_DIR} COMPONENT development)

# Manual pages, compressed the way Debian wants them (gzip -9n: no name, no
# time stamp), and the Debian changelog, which only the packages carry.
set(_doc_build ${PROJECT_BINARY_DIR}/doc)
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in
  ${_doc_build}/changelog.Debian @ONLY)
set(_compressed)
foreach(_source
    ${PROJECT_SOURCE_DIR}/man/quelmix-config-check.1
    ${PROJECT_SOURCE_DIR}/man/quelmix-config-format.1
    ${PROJECT_SOURCE_DIR}/man/quelmix-config-lsp.1
    ${PROJECT_SOURCE_DIR}/man/quelmix-config-diff.1
    ${PROJECT_SOURCE_DIR}/man/quelmix_parse_config.3
    ${_doc_build}/changelog.Debian)
  get_filename_component(_name ${_source} NAME)
  add_custom_command(OUTPUT ${_doc_build}/${_name}.gz
    COMMAND gzip -9n -c ${_source} > ${_doc_build}/${_name}.gz
    DEPENDS ${_source} VERBATIM)
  list(APPEND _compressed ${_doc_build}/${_name}.gz)
endforeach()
add_custom_target(quelmix_docs ALL DEPENDS ${_compressed})

install(FILES ${_doc_build}/quelmix_parse_config.3.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man3 COMPONENT development)
set(_debian_packages runtime ${QUELMIX_DEB_RUNTIME} development
  ${QUELMIX_DEB_DEV})
foreach(_tool quelmix-config-check quelmix-config-format quelmix-config-lsp
              quelmix-config-diff)
  if(TARGET ${_tool})
    install(TARGETS ${_tool}
      RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
    install(FILES ${_doc_build}/${_tool}.1.gz
      DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tools)
  endif()
endforeach()
if(TARGET quelmix-config-check)
  list(APPEND _debian_packages tools ${QUELMIX_DEB_TOOLS})
  # The manual pages send readers to README and the docs/ pages it links
  # to: they go where a Debian package puts them, with `cmake --install` too.
  install(FILES ${PROJECT_SOURCE_DIR}/README.md
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${QUELMIX_DEB_TOOLS}
    COMPONENT tools)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${QUELMIX_DEB_TOOLS}
    COMPONENT tools FILES_MATCHING PATTERN "*.md" PATTERN "*.svg")
  # Highlighting for editors, to copy where each editor looks.
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/editors/vim
                    ${PROJECT_SOURCE_DIR}/editors/textmate
    DESTINATION ${CMAKE_INSTALL_DATADIR}/${QUELMIX_DEB_TOOLS} COMPONENT tools)
endif()

# The pure-Python package, where Debian's python3 looks for packages that
# are not Python-version specific.
set(QUELMIX_PYTHON_DIR lib/python3/dist-packages CACHE PATH
  "Where the Python package quelmix_config goes (under the prefix)")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/quelmix_config
  DESTINATION ${QUELMIX_PYTHON_DIR} COMPONENT python
  FILES_MATCHING PATTERN "*.py" PATTERN "py.typed"
  PATTERN "__pycache__" EXCLUDE)
list(APPEND _debian_packages python ${QUELMIX_DEB_PYTHON})

# Debian packages: `cd build && cpack -G DEB`.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quelmix-config-parser)
set(CPACK_PACKAGE_VENDOR "The quelmix_config_parser authors")
set(CPACK_PACKAGE_CONTACT
  "The quelmix_config_parser authors <dev@quelmix.example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development python)
if(TARGET quelmix-config-check)
  list(APPEND CPACK_COMPONENTS_ALL tools)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${QUELMIX_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON) # Depends from the binaries
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# Checks that cpack has what the packages need, adds the Debian-only files
# to the staged packages, and the Multi-Arch field to the finished ones
# (packaging/debian/*.cmake say why each is needed).
set(CPACK_PROJECT_CONFIG_FILE
  ${PROJECT_SOURCE_DIR}/packaging/debian/cpack_checks.cmake)
set(CPACK_PRE_BUILD_SCRIPTS
  ${PROJECT_SOURCE_DIR}/packaging/debian/add_debian_files.cmake)
set(CPACK_POST_BUILD_SCRIPTS
  ${PROJECT_SOURCE_DIR}/packaging/debian/set_multiarch.cmake)
set(CPACK_QUELMIX_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_QUELMIX_DOC_BUILD ${_doc_build})
set(CPACK_QUELMIX_DEBIAN_PACKAGES ${_debian_packages})
set(CPACK_QUELMIX_MULTIARCH_PACKAGES ${QUELMIX_DEB_RUNTIME} ${QUELMIX_DEB_DEV})

# CPack puts the package summary before a component's description unless
# the summary is its own default; each description below starts with its own
# synopsis line, so the summary is left at that default.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON) # shlibs for the runtime package
set(_about "quelmix_config_parser loads camera configuration files (an
INI-like dialect of camera parameters, board and register command lists
and controls with code blocks) into a plain C record for host programs.")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${QUELMIX_DEB_RUNTIME})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# ldconfig runs through a trigger, as Debian wants, not from the scripts.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA
  ${PROJECT_SOURCE_DIR}/packaging/debian/runtime/symbols
  ${PROJECT_SOURCE_DIR}/packaging/debian/runtime/triggers
  ${PROJECT_SOURCE_DIR}/packaging/debian/runtime/postinst
  ${PROJECT_SOURCE_DIR}/packaging/debian/runtime/postrm)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "camera configuration file loader (shared library)
${_about}

This package holds the shared library. It exports one C function and
needs nothing but the C library at run time.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME ${QUELMIX_DEB_DEV})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
  "${QUELMIX_DEB_RUNTIME} (= ${QUELMIX_DEB_VERSION})")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "camera configuration file loader (development files)
${_about}

This package holds the C header, the pkg-config file, the CMake
package (quelmix::config_parser) and the quelmix_parse_config(3)
manual page.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME ${QUELMIX_DEB_TOOLS})
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_TOOLS_DESCRIPTION "tools for camera configuration file authors
${_about}

This package holds quelmix-config-check, which reports every mistake
in a file at its line and column, with what the loader made of it;
quelmix-config-format, which lays files out the canonical way without
changing what they load; quelmix-config-diff, which shows what changed
for the camera between two files (and serves as git's diff driver); and
quelmix-config-lsp, a language server that gives editors diagnostics,
quick fixes, hover, completion, an outline, folding, inline values and
formatting. A Vim syntax file and a TextMate grammar are in
/usr/share/quelmix-config-tools.")

set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME ${QUELMIX_DEB_PYTHON})
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
  "python3:any, ${QUELMIX_DEB_RUNTIME} (>= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_PYTHON_PACKAGE_RECOMMENDS ${QUELMIX_DEB_TOOLS})
set(CPACK_DEBIAN_PYTHON_DESCRIPTION "camera configuration file loader (Python 3 package)
${_about}

This package holds quelmix_config, which loads a file with the shared
library exactly as a C host does and gives the record back as frozen
dataclasses; it also runs the tools (check, format, diff) and answers
with dataclasses.")
include(CPack)
