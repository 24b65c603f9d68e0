target_sources(orbit_resources PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/DialogTemplates.cpp)
