# The icon and cursor decoder (the only parser in the resources library).
orbit_add_fuzzer(icon_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/icon_fuzzer.cpp LIBS orbit_resources)
if(ORBIT_LIBFUZZER)
  target_compile_options(orbit_resources PRIVATE -fsanitize=fuzzer-no-link)
endif()
