# Tests of the Windows shell, against the real Win32 API under Wine.
add_executable(tessory_win32_tests
  win32/handles_test.cpp
  win32/registry_store_test.cpp
  win32/screen_bitmap_test.cpp
  win32/delivery_platform_test.cpp
  win32/capture_test.cpp
  win32/form_test.cpp)
target_link_libraries(tessory_win32_tests PRIVATE tessory_test_support GTest::gtest GTest::gtest_main)
tessory_add_wine_test(tessory_win32_tests)

# The options dialog, folder browser and help viewer keep their own list.
include(${CMAKE_CURRENT_SOURCE_DIR}/win32/options_help_tests.cmake)

# Helper programs of the end-to-end tests.
add_executable(tessory_test_target e2e/target_window.cpp)
add_executable(tessory_test_probe e2e/probe.cpp)
foreach(helper tessory_test_target tessory_test_probe)
  target_compile_definitions(${helper} PRIVATE UNICODE _UNICODE NOMINMAX)
  target_link_libraries(${helper} PRIVATE user32 gdi32 advapi32 shell32)
endforeach()

# End-to-end: tessory.exe driven with the real pointer (xdotool).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME tessory_e2e COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/e2e/run_e2e.py ${PROJECT_BINARY_DIR})
set_tests_properties(tessory_e2e PROPERTIES LABELS e2e TIMEOUT 1500 DEPENDS "tessory_win32_tests")

# The three windows' layouts at 96, 120 and 144 DPI, in a prefix of their own.
add_executable(tessory_layout_tests win32/layout_test.cpp ${PROJECT_SOURCE_DIR}/app/tessory.rc)
target_include_directories(tessory_layout_tests PRIVATE ${PROJECT_BINARY_DIR}/app ${PROJECT_SOURCE_DIR}/app)
target_link_libraries(tessory_layout_tests PRIVATE tessory_test_support GTest::gtest GTest::gtest_main)
add_test(NAME tessory_layout_tests
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/win32/dpi_layout_test.sh $<TARGET_FILE:tessory_layout_tests>
                 ${PROJECT_BINARY_DIR}/wineprefix-dpi)
set_tests_properties(tessory_layout_tests PROPERTIES LABELS wine TIMEOUT 600)
