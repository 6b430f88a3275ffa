tessory_add_benchmark(bench_gif bench_gif.cpp)
