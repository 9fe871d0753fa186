# SPDX-License-Identifier: GPL-3.0-or-later
# Read by cpack when it packages: the Debian package names who built it as its maintainer.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_DEBIAN_PACKAGE_MAINTAINER)
  include(${CPACK_VARLIME_SOURCE_DIR}/cmake/packaging.cmake)
  varlime_packager(${CPACK_VARLIME_SOURCE_DIR} CPACK_DEBIAN_PACKAGE_MAINTAINER)
  if(NOT CPACK_DEBIAN_PACKAGE_MAINTAINER)
    message(FATAL_ERROR "A Debian package names its maintainer: set DEBFULLNAME and DEBEMAIL "
                        "to your name and e-mail address (or git's user.name and user.email).")
  endif()
endif()
