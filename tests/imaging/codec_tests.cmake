# The PNG and JPEG writers, checked against libpng's and libjpeg's own
# decoders (linked through tessory_core), and the memory and threads the
# writers keep between pictures.
tessory_add_core_test(tessory_codec_tests
  imaging/png_writer_test.cpp
  imaging/jpeg_writer_test.cpp
  imaging/codec_delivery_test.cpp
  imaging/kept_memory_test.cpp
  imaging/kept_threads_test.cpp)
target_link_libraries(tessory_codec_tests PRIVATE tessory_jpeg_reference PNG::PNG JPEG::JPEG ZLIB::ZLIB)
