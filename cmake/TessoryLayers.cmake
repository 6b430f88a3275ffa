# The layers of docs/architecture.md, kept by the build. Each product folder
# is a library whose sources see, besides the system's headers, only the
# include roots of the libraries it links: a folder's root holds a link to
# that folder alone, so an include of a folder the layer table does not
# allow names no file and fails to compile.

set(TESSORY_LAYER_ROOTS ${PROJECT_BINARY_DIR}/layers)

# tessory_expose(TARGET FOLDER [HEADERS h...]): TARGET and whatever links it
# see "FOLDER/..." headers; with HEADERS, only those files of FOLDER.
function(tessory_expose target folder)
  cmake_parse_arguments(ARG "" "" "HEADERS" ${ARGN})
  set(root ${TESSORY_LAYER_ROOTS}/${target})
  file(MAKE_DIRECTORY ${root})
  if(ARG_HEADERS)
    file(MAKE_DIRECTORY ${root}/${folder})
    foreach(header ${ARG_HEADERS})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder}/${header} ${root}/${folder}/${header} SYMBOLIC)
    endforeach()
  else()
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# The Win32 libraries and definitions every platform file builds with.
if(WIN32)
  add_library(tessory_platform INTERFACE)
  target_link_libraries(tessory_platform INTERFACE user32 gdi32 advapi32 comdlg32 comctl32 winmm shell32 ole32
                                                   version)
  target_compile_definitions(tessory_platform INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                        _WIN32_WINNT=0x0A00 WINVER=0x0A00)
endif()
