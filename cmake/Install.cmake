# Install layout (GNUInstallDirs): the program and the inspect tool in bin/,
# the hack as a link in XScreenSaver's hack folder, its settings page, the
# desktop entry for the settings dialog, the icon in the hicolor theme, the
# man pages and the package's copyright and changelog.
include(GNUInstallDirs)

set(ORBIT_DIST_DIR ${PROJECT_SOURCE_DIR}/dist)
set(ORBIT_DIST_BUILD_DIR ${PROJECT_BINARY_DIR}/dist)
# Folder in which xscreensaver (Debian 12: /usr/libexec/xscreensaver) looks
# for hacks before $PATH.
set(ORBIT_XSCREENSAVER_HACKDIR ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver
    CACHE STRING "XScreenSaver's hack folder, relative to the prefix")
set(ORBIT_MAN_PAGES orbit-patrol orbit-patrol-inspect orbit-patrol-xscreensaver-setup)
set(ORBIT_ICON_SIZES 16 32 48 64 128 256)

install(TARGETS orbit-patrol orbit-patrol-inspect RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${ORBIT_DIST_DIR}/orbit-patrol-xscreensaver-setup DESTINATION ${CMAKE_INSTALL_BINDIR})

# The hack is a relative link to the program, so the installed tree can move
# (DESTDIR, package root) without breaking it.
file(RELATIVE_PATH orbit_hack_target
  /prefix/${ORBIT_XSCREENSAVER_HACKDIR} /prefix/${CMAKE_INSTALL_BINDIR}/orbit-patrol)
file(MAKE_DIRECTORY ${ORBIT_DIST_BUILD_DIR}/hack)
file(CREATE_LINK ${orbit_hack_target} ${ORBIT_DIST_BUILD_DIR}/hack/orbit-patrol SYMBOLIC)
install(FILES ${ORBIT_DIST_BUILD_DIR}/hack/orbit-patrol DESTINATION ${ORBIT_XSCREENSAVER_HACKDIR})

install(FILES ${ORBIT_DIST_DIR}/orbit-patrol.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(FILES ${ORBIT_DIST_DIR}/orbit-patrol-settings.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size IN LISTS ORBIT_ICON_SIZES)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/theme/orbit-patrol-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME orbit-patrol.png)
endforeach()

# Man pages and the changelog go in compressed with gzip -9n (no name, no
# time stamp), so two builds give the same bytes.
find_program(ORBIT_GZIP gzip REQUIRED)
configure_file(${ORBIT_DIST_DIR}/changelog.in ${ORBIT_DIST_BUILD_DIR}/changelog @ONLY)
set(orbit_compressed)
foreach(source IN ITEMS ${ORBIT_MAN_PAGES} changelog)
  if(source STREQUAL "changelog")
    set(input ${ORBIT_DIST_BUILD_DIR}/changelog)
    set(output ${ORBIT_DIST_BUILD_DIR}/changelog.gz)
  else()
    set(input ${ORBIT_DIST_DIR}/${source}.1)
    set(output ${ORBIT_DIST_BUILD_DIR}/${source}.1.gz)
  endif()
  add_custom_command(OUTPUT ${output}
    COMMAND ${ORBIT_GZIP} -9n -c ${input} > ${output}
    DEPENDS ${input} VERBATIM)
  list(APPEND orbit_compressed ${output})
endforeach()
add_custom_target(orbit_dist_files ALL DEPENDS ${orbit_compressed})
foreach(page IN LISTS ORBIT_MAN_PAGES)
  install(FILES ${ORBIT_DIST_BUILD_DIR}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
install(FILES ${ORBIT_DIST_DIR}/copyright ${ORBIT_DIST_BUILD_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orbit-patrol)
