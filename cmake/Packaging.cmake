# The Debian package: `cpack -G DEB` in a build folder gives korvalen_<version>_<arch>.deb with
# both programs, the help page, the desktop entry, metainfo, icons, MIME type, manual pages and
# the copyright file.
# The desktop, icon and MIME caches are refreshed by the dpkg triggers of the packages that own
# them, so the package needs no maintainer scripts.

set(KORVALEN_MAINTAINER "Korvalen developers <korvalen@example.org>"
    CACHE STRING "Maintainer line of the Debian package")

set(CPACK_PACKAGE_NAME korvalen)
set(CPACK_PACKAGE_VENDOR "Korvalen developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chess for two players at one computer or over a local network")
set(CPACK_PACKAGE_CONTACT ${KORVALEN_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KORVALEN_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# CPack puts the summary above this text and indents it as a control file wants it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Korvalen is a chess board that knows the rules. Two people play against each
other, taking turns at one computer or from two computers on a local network,
where one copy is the server and the other the client. There is no playing
engine and no advice.

The program refuses illegal moves, writes the game in short algebraic notation
with Russian piece letters, announces check, mate and stalemate, takes back
moves (over the network with the opponent's consent), carries a chat and saves
games as small text files. The interface is in Russian.

The package also holds korvalen-kvl, a command-line tool that shows saved games
and converts them to and from PGN.")
# dpkg-shlibdeps finds the Qt, C and C++ runtime libraries; what the programs load at run time
# without linking is named here: the platform plugins every window needs (X11's, and Wayland's,
# without which Qt falls back to XWayland with a warning on a Wayland desktop), and Qt's own
# Russian texts for the standard dialogs; the event sounds' theme, and libcanberra's way to the
# desktop's sound server (PulseAudio, or PipeWire in its place). The router's port-mapping
# libraries are named too; Debian's miniupnpc package carries the library's API version in its
# name.
file(STRINGS ${KORVALEN_MINIUPNPC_INCLUDE}/miniupnpc/miniupnpc.h _korvalen_miniupnpc_api
     REGEX "#define[ \t]+MINIUPNPC_API_VERSION")
string(REGEX MATCH "[0-9]+" _korvalen_miniupnpc_api "${_korvalen_miniupnpc_api}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-wayland, sound-theme-freedesktop, libcanberra-pulse, libminiupnpc${_korvalen_miniupnpc_api}, libnatpmp1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, hicolor-icon-theme")

# Every install component except the full licence text, which Debian keeps once for all
# packages; taken from the project at the end of its configuration, so a component added
# later is packaged without being named here.
get_cmake_property(_korvalen_components COMPONENTS)
list(REMOVE_ITEM _korvalen_components licence-text)
set(CPACK_INSTALL_CMAKE_PROJECTS)
foreach(component IN LISTS _korvalen_components)
    list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${CMAKE_BINARY_DIR} ${PROJECT_NAME} ${component} /)
endforeach()

include(CPack)
