# Registers a cross-built test program to run under Wine (label "wine").
function(tessory_add_wine_test target)
  cmake_parse_arguments(ARG "" "" "LABELS" ${ARGN})
  if(NOT ARG_LABELS)
    set(ARG_LABELS wine)
  endif()
  add_test(NAME ${target} COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-test.sh $<TARGET_FILE:${target}>)
  set_tests_properties(${target} PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT 600)
endfunction()
