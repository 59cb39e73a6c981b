# The Debian package: `cpack -G DEB` in a build tree (scripts/package.sh makes one
# from a Release build). Everything install() rules put under the prefix goes in;
# the library dependencies are read off the binaries by dpkg-shlibdeps, so only
# the runtime packages of what they actually link end up in Depends.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "ondrel")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Ondrel")
set(CPACK_PACKAGE_CONTACT "Ondrel developers <ondrel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "context-aware paste from the system tray")
set(CPACK_PACKAGE_DESCRIPTION
    "Ondrel keeps paste rules: a text (plain or rich), the application it applies to, and
optionally a condition on the URL of the browser tab in front. One global shortcut
(Super+Shift+V) pastes the text of the most specific rule for the window in front and
then puts the previous clipboard back. It runs on X11 desktops as a tray icon; the
ondrelctl command checks and tries out rules files from a terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Needed at run time but linked by no binary of ours: Qt loads the SVG icon
# engine (the bundled fall-back icons) as a plugin, and Ondrel talks to the AT-SPI
# bus over D-Bus (browser URLs, and whether pasting is allowed at all).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, at-spi2-core")

include(CPack)
