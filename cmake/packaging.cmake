# `make package`: a Debian package of the release build. Its dependencies are
# found by dpkg-shlibdeps from the installed programs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zum-points)
set(CPACK_PACKAGE_VENDOR "The ZUM-POINTS authors")
set(CPACK_PACKAGE_CONTACT "The ZUM-POINTS authors <authors@zum-points.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert NMEA GPS logs into street-map draw files")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The extended description under the summary line; CPack indents it and
# turns the empty line into " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "ZUM-POINTS reads the NMEA 0183 log of a drive (the $GPRMC and $GPGSA
sentences a GPS receiver sends) and writes the five text files a street-map
program imports as draw files: the track line, and waypoints labelled with
the local time, the number of satellites in use and the speed, plus markers
where the receiver had no 3-D fix.

The package holds the window program zum-points and the command-line
converter zum-convert, which does the same work for many logs at once.")

include(CPack)
