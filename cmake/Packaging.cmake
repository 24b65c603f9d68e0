# The Debian package (tools/package.sh): cpack -G DEB on a Release build,
# installed under /usr. Depends comes from the libraries the binaries really
# link (dpkg-shlibdeps), plus Qt's platform plugins, without which the
# program cannot open a window.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orbit-patrol)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Orbit Patrol developers <orbit-patrol@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D OpenGL starship screensaver for XScreenSaver")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Orbit Patrol is an OpenGL screensaver: a starship flies a looping orbit
around the viewer, trailing four flickering engine flames and firing fading
laser bolts, while the camera turns after it past 3000 stars and a textured
planet. A 3DS model file can replace the built-in ship.

It runs full screen, in a preview window, or as an XScreenSaver hack with a
settings page in xscreensaver-settings; the orbit-patrol-xscreensaver-setup
command adds it to a user's XScreenSaver list. The package also holds
orbit-patrol-inspect, which checks images and 3DS models without a display.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its platform plugins at run time: xcb for X11, wayland for Wayland
# sessions; the shared-library scan cannot see either.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xscreensaver)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
