# The Win32 libraries and definitions every platform file builds with.
if(WIN32)
  add_library(tessory_platform INTERFACE)
  target_link_libraries(tessory_platform INTERFACE user32 gdi32 advapi32 comdlg32 comctl32 winmm shell32 ole32
                                                   version)
  target_compile_definitions(tessory_platform INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                        _WIN32_WINNT=0x0A00 WINVER=0x0A00)
endif()

# tessory_win32_sources(TARGET files...): the platform files of a folder's
# library, compiled into the Windows build only.
function(tessory_win32_sources target)
  if(WIN32)
    target_sources(${target} PRIVATE ${ARGN})
    target_link_libraries(${target} PUBLIC tessory_platform)
  endif()
endfunction()
