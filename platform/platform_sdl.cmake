# orbit_platform_sdl: the shot sound through SDL2's audio subsystem.
find_package(SDL2 REQUIRED)
add_library(orbit_platform_sdl STATIC ${CMAKE_CURRENT_LIST_DIR}/SdlSoundPlayer.cpp)
target_include_directories(orbit_platform_sdl PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(orbit_platform_sdl PUBLIC orbit_platform PRIVATE SDL2::SDL2)
