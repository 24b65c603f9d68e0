# orbit_platform_qt: the platform interfaces that Qt implements for the program
# (message boxes, link opening, GL entry points). Only app/, saver/ and ui/
# link it.
set(CMAKE_AUTOMOC ON)
add_library(orbit_platform_qt STATIC
  ${CMAKE_CURRENT_LIST_DIR}/qt/MessageBoxNotifier.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt/DesktopUrlOpener.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt/QtGlProcLookup.cpp
)
target_include_directories(orbit_platform_qt PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(orbit_platform_qt PUBLIC orbit_platform Qt6::Core Qt6::Gui Qt6::Widgets)
