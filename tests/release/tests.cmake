# The release zip: its files, version, checksum, and a notice for every
# library on tessory.exe's link line.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME tessory_release_zip
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/release/check_release.py ${TESSORY_RELEASE_ZIP}
                 ${PROJECT_BINARY_DIR} ${PROJECT_VERSION})
set_tests_properties(tessory_release_zip PROPERTIES LABELS native)

# The installer package's tables and files, and its package-manager manifest.
add_test(NAME tessory_release_msi
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/release/check_installer.py ${TESSORY_RELEASE_MSI}
                 ${TESSORY_RELEASE_ZIP} ${PROJECT_VERSION})
set_tests_properties(tessory_release_msi PROPERTIES LABELS native)
