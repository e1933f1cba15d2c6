# Where the files the programs look for at run time lie, in a build tree and in an installation.
# Everything that copies, installs or looks for them takes the places from here.

set(KORVALEN_APP_ID io.github.korvalen.Korvalen)

# The hicolor theme's raster icon sizes, in pixels, rendered from the one SVG.
set(KORVALEN_ICON_SIZES 16 32 48 64 128 256)

# A build tree: the help page in a folder "help" beside the programs.
set(KORVALEN_HELP_BESIDE_PROGRAM help/index.html)

# An installation: the page under share/, found by its absolute path, or relative to the
# program's folder when the installed tree was moved to another prefix as a whole.
set(KORVALEN_HELP_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/korvalen/help)
set(KORVALEN_INSTALLED_HELP ${CMAKE_INSTALL_FULL_DATADIR}/korvalen/help/index.html)
file(RELATIVE_PATH KORVALEN_INSTALLED_HELP_FROM_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}
     ${KORVALEN_INSTALLED_HELP})

# The licence of an installation, where Debian keeps a package's: share/doc/korvalen.
set(KORVALEN_DOC_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/doc/korvalen)
