# The options dialog, the folder browser and the help viewer against the
# real controls under Wine. The program carries tessory.exe's resources, so
# that the dialog shows the real version and icon.
add_executable(tessory_options_tests
  options/options_dialog_test.cpp
  options/folder_browser_test.cpp
  help/help_viewer_test.cpp
  ${PROJECT_SOURCE_DIR}/app/tessory.rc)
target_include_directories(tessory_options_tests PRIVATE ${PROJECT_BINARY_DIR}/app ${PROJECT_SOURCE_DIR}/app)
target_link_libraries(tessory_options_tests PRIVATE tessory_test_support GTest::gtest GTest::gtest_main)
tessory_add_wine_test(tessory_options_tests)

# The compiled help file: its topics and its context map.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME tessory_help_file COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/help/check_chm.py
                                        ${TESSORY_HELP_FILE})
set_tests_properties(tessory_help_file PROPERTIES LABELS native)
