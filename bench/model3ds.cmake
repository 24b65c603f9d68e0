# 3DS reading and assembly throughput on a large generated model; against
# Assimp's importer in the same run when Assimp is installed.
add_executable(model3ds_bench
  ${CMAKE_CURRENT_LIST_DIR}/Model3dsBench.cpp
  ${PROJECT_SOURCE_DIR}/tests/model3ds/ThreeDsWriter.cpp)
target_link_libraries(model3ds_bench PRIVATE orbit_model3ds_core benchmark::benchmark)
find_package(assimp QUIET)
if(assimp_FOUND)
  target_compile_definitions(model3ds_bench PRIVATE ORBIT_BENCH_ASSIMP)
  if(TARGET assimp::assimp)
    target_link_libraries(model3ds_bench PRIVATE assimp::assimp)
  else()
    target_link_libraries(model3ds_bench PRIVATE ${ASSIMP_LIBRARIES})
  endif()
else()
  message(STATUS "Assimp not found: model3ds_bench runs without the comparison")
endif()
