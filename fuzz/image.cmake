# The image readers' harnesses: JPEG decoder, BMP reader, TGA reader.
orbit_add_fuzzer(jpeg_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/jpeg_fuzzer.cpp LIBS orbit_image)
orbit_add_fuzzer(bmp_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/bmp_fuzzer.cpp LIBS orbit_image)
orbit_add_fuzzer(tga_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/tga_fuzzer.cpp LIBS orbit_image)
if(ORBIT_LIBFUZZER)
  # Coverage feedback from the decoders themselves, not only from the harnesses.
  target_compile_options(orbit_image PRIVATE -fsanitize=fuzzer-no-link)
endif()
