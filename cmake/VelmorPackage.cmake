# The Debian package (scripts/package): everything cmake --install puts in place, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The velmor developers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The velmor developers <velmor@velmor.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The library packages the programs link, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration tool for the VELMORAN programmable ignition unit")
# The long description below the summary; CPack indents it and marks the empty line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "velmor sets up the VELMORAN programmable ignition unit for motorcycle engines
on a serial port: its ignition-advance curve, limiters, retard, shift light and
inputs. It reads, programs and verifies the unit, shows live engine speed,
advance and supply voltage, and keeps parameter sets in small files. The window
speaks English, German, French and Czech.

The package also holds velmorctl, the same from the command line, the unit
simulator velmor-unit-sim, the operator's manual in the four languages and a
udev rule that keeps ModemManager off the usual USB serial adapters.")
include(CPack)
