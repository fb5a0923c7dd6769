# The Debian package. `cmake --build build --target package` writes build/ravenmark_<version>_<arch>.deb
# from what `cmake --install` installs, under /usr.
set(RAVENMARK_PACKAGE_MAINTAINER "Ravenmark maintainers <maintainers@ravenmark.invalid>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ravenmark)
set(CPACK_PACKAGE_VENDOR Quillon)
set(CPACK_PACKAGE_CONTACT "${RAVENMARK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "basketball scoreboard for the desktop")
set(CPACK_PACKAGE_DESCRIPTION
    "Ravenmark is a basketball scoreboard run by one operator at a keyboard. Its main window is the "
    "board that players and spectators read: scores, team fouls, timeouts left, player fouls, the "
    "period, possession arrows and bonus lights, a game clock and a shot clock with a buzzer, the team "
    "names and up to three pictures, with the numbers in large LED digits.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debug information stays in the build tree; the package carries the program only.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/ravenmark/ravenmark)
# The libraries the program links (Qt Widgets, Multimedia with its sound and media plugins, the C++
# runtime) come from dpkg-shlibdeps. The fonts are not linked but the board's fixed-size captions are
# laid out for them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")

include(CPack)
