# The 3DS reader and model assembly, fuzzed together without GL.
orbit_add_fuzzer(3ds_assembly_fuzzer
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/3ds_assembly_fuzzer.cpp
  LIBS orbit_model3ds_core)
if(ORBIT_LIBFUZZER)
  # Coverage feedback from the code under test, not only from the harness.
  target_compile_options(orbit_model3ds_core PRIVATE -fsanitize=fuzzer-no-link)
endif()
