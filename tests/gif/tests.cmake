tessory_add_core_test(tessory_gif_tests
  gif/gif_decoder.cpp
  gif/reference_reduction.cpp
  gif/lzw_hash_table.cpp
  gif/lzw_test.cpp
  gif/color_reduction_test.cpp
  gif/gif_image_test.cpp
  gif/overlapped_coder_test.cpp)
