# SPDX-License-Identifier: MIT
# Fails unless LIBRARY exports quelmix_parse_config and nothing else of ours,
# and needs nothing but libc.so.6 at run time.
execute_process(COMMAND nm -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE nm_failed)
if(nm_failed)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()

# The list of what `pattern` captures (its first group) in every line of
# `text` that matches it.
function(captured out text pattern)
  string(REGEX MATCHALL "${pattern}" lines "${text}")
  set(found "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "${pattern}" "\\1" item "${line}")
    list(APPEND found ${item})
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

captured(exports "${symbols}" "[0-9a-f]+ [A-Za-z] ([^\n]+)")
if(NOT exports STREQUAL "quelmix_parse_config")
  message(FATAL_ERROR "exports: [${exports}], want only quelmix_parse_config")
endif()

execute_process(COMMAND readelf -d ${LIBRARY} OUTPUT_VARIABLE dynamic)
captured(needed "${dynamic}" "NEEDED[^\n]*\\[([^]]+)\\]")
if(NOT needed STREQUAL "libc.so.6")
  message(FATAL_ERROR "NEEDED: [${needed}], want only libc.so.6")
endif()
message(STATUS "exports [${exports}], needs [${needed}]")
