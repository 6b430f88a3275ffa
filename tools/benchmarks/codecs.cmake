# The PNG and JPEG writers on the corpus, beside libpng and libjpeg alone.
tessory_add_benchmark(bench_codecs bench_codecs.cpp)
target_link_libraries(bench_codecs PRIVATE tessory_jpeg_reference PNG::PNG)
