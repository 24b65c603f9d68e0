# JPEG decoding throughput: ours against libjpeg-turbo on the same bytes.
find_library(ORBIT_LIBJPEG jpeg)
if(ORBIT_LIBJPEG)
  add_executable(jpeg_decoder_bench ${CMAKE_CURRENT_LIST_DIR}/JpegDecoderBench.cpp)
  target_link_libraries(jpeg_decoder_bench PRIVATE orbit_image benchmark::benchmark ${ORBIT_LIBJPEG})
else()
  message(STATUS "libjpeg not found: jpeg_decoder_bench is not built")
endif()
