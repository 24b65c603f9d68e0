# The scene's benchmarks: scene_bench (Google Benchmark: fire, starship step,
# whole GL frame vs clear-and-swap on a headless context), and for the
# whole-program comparison in run-scene-bench.sh a clear-and-swap floor
# program and a swap-counting LD_PRELOAD shim. The last two go to bench/tools/
# so bench/run-all.sh, which runs every program in bench/, leaves them alone.
add_executable(scene_bench ${CMAKE_CURRENT_LIST_DIR}/SceneBench.cpp)
target_link_libraries(scene_bench PRIVATE orbit_scene orbit_headless_gl orbit_resources benchmark::benchmark)

find_package(X11 QUIET)
if(X11_FOUND AND OpenGL_GLX_FOUND)
  add_executable(clear-swap-floor ${CMAKE_CURRENT_LIST_DIR}/ClearSwapFloor.cpp)
  target_link_libraries(clear-swap-floor PRIVATE OpenGL::GL OpenGL::GLX X11::X11)
  set_target_properties(clear-swap-floor PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/tools)
endif()

add_library(swap-counter SHARED ${CMAKE_CURRENT_LIST_DIR}/SwapCounter.c)
target_link_libraries(swap-counter PRIVATE ${CMAKE_DL_LIBS})
set_target_properties(swap-counter PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/tools)

# The shot sound's start latency in the running scene (SDL's dummy driver).
add_executable(shot-sound-latency ${CMAKE_CURRENT_LIST_DIR}/ShotSoundLatency.cpp)
target_link_libraries(shot-sound-latency PRIVATE orbit_scene orbit_headless_gl orbit_resources orbit_platform_sdl)
set_target_properties(shot-sound-latency PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/tools)
