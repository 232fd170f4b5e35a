# `make package`: a Debian package of the installed program, built with CPack.
set(CPACK_PACKAGE_NAME korvane)
set(CPACK_PACKAGE_VENDOR "${KORVANE_PUBLISHER_ADDRESS}")
set(CPACK_PACKAGE_CONTACT "Korvane developers <developers@korvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "thickness of a flag's cross, worked step by step (Bulgarian)")
set(CPACK_PACKAGE_DESCRIPTION
    "Korvane takes the length and width of a flag and the share of its area that a cross of two\n equal bands should cover, and shows the worked solution in Bulgarian, ending with the\n cross's thickness.")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://${KORVANE_PUBLISHER_ADDRESS}/")
# The libraries the executable links are found by dpkg-shlibdeps; the platform
# plugins Qt loads at run time are not, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins (>= 6.4)")
set(CPACK_STRIP_FILES ON)
include(CPack)
