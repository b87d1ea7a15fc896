# SPDX-License-Identifier: MIT
# Run by cpack after it has staged each component (CPACK_PRE_BUILD_SCRIPTS):
# adds what only a Debian package carries (copyright, changelog, lintian
# overrides), so that `cmake --install` into a prefix
# never installs them, and drops the compiler's .comment section from the
# binaries, as Debian's own packaging does (CPack's strip keeps it).
set(_staging "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
# file(COPY_FILE) writes where it is told; file(INSTALL) would put cpack's
# DESTDIR, still set here, in front of the staging folder.
function(add_file source folder name)
  file(MAKE_DIRECTORY "${folder}")
  file(COPY_FILE "${source}" "${folder}/${name}" ONLY_IF_DIFFERENT)
endfunction()
set(_prefix "${CPACK_PACKAGING_INSTALL_PREFIX}")
set(_packages ${CPACK_QUELMIX_DEBIAN_PACKAGES})
while(_packages)
  list(POP_FRONT _packages _component _package)
  set(_root "${_staging}/${_component}${_prefix}")
  if(NOT IS_DIRECTORY "${_staging}/${_component}")
    continue()
  endif()
  set(_doc "${_root}/share/doc/${_package}")
  add_file("${CPACK_QUELMIX_SOURCE_DIR}/packaging/debian/copyright" "${_doc}"
    copyright)
  add_file("${CPACK_QUELMIX_DOC_BUILD}/changelog.Debian.gz" "${_doc}"
    changelog.Debian.gz)
  set(_overrides
    "${CPACK_QUELMIX_SOURCE_DIR}/packaging/debian/${_component}/lintian-overrides")
  if(EXISTS "${_overrides}")
    add_file("${_overrides}" "${_root}/share/lintian/overrides" "${_package}")
  endif()
endwhile()

find_program(_objcopy objcopy)
file(GLOB_RECURSE _binaries "${_staging}/*")
list(FILTER _binaries INCLUDE REGEX "/bin/[^/]+$|/lib/.*\\.so\\.[0-9.]+$")
foreach(_binary IN LISTS _binaries)
  if(_objcopy AND NOT IS_SYMLINK "${_binary}")
    execute_process(COMMAND "${_objcopy}" --remove-section=.comment
      "${_binary}" RESULT_VARIABLE _status)
    if(NOT _status EQUAL 0)
      message(FATAL_ERROR "objcopy could not drop .comment from ${_binary}")
    endif()
  endif()
endforeach()
