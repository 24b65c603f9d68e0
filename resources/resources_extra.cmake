# The icon and cursor decoder joins the resources library (no Qt, no GL).
target_sources(orbit_resources PRIVATE ${CMAKE_CURRENT_LIST_DIR}/IconImage.cpp)

