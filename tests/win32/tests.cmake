# Tests of the Windows shell, against the real Win32 API under Wine.
add_executable(tessory_win32_tests
  win32/handles_test.cpp
  win32/registry_store_test.cpp
  win32/screen_bitmap_test.cpp
  win32/delivery_platform_test.cpp)
target_link_libraries(tessory_win32_tests PRIVATE tessory_win32 tessory_test_support GTest::gtest GTest::gtest_main)
tessory_add_wine_test(tessory_win32_tests)
