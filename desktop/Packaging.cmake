# The Debian package, built by `make package` (cpack -G DEB). The package
# always installs under /usr, whatever prefix the build folder was set up for.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vortigram)
set(CPACK_PACKAGE_VENDOR Marbrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for patterns drawn around a centre point")
set(CPACK_PACKAGE_DESCRIPTION
  "Vortigram draws open polylines and filled polygons around a centre point,
repeats them around the centre, previews the pattern zooming and turning,
and exports it as a compact binary design file (.JVF) for another program
to draw. Every vertex is kept as an angle and a radius, so a design can be
drawn at any scale and rotation.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Marbrel <vortigram@marbrel.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Depends line comes from the libraries the program links, as found by
# dpkg-shlibdeps, so it follows whatever Qt the build used: Qt's widgets,
# SVG and print support, giflib and libwebp (scripts/install-deps.sh).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
