# `make package`: a Debian package of the installed program, built with CPack,
# clean under lintian.
set(CPACK_PACKAGE_NAME korvane)
set(CPACK_PACKAGE_VENDOR "${KORVANE_PUBLISHER_ADDRESS}")
set(CPACK_PACKAGE_CONTACT "Korvane developers <developers@korvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "thickness of a flag's cross, worked step by step (Bulgarian)")
set(CPACK_PACKAGE_DESCRIPTION
    "Korvane takes the length and width of a flag and the share of its area\n that a cross of two equal bands should cover, and shows the worked\n solution in Bulgarian, ending with the cross's thickness.")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://${KORVANE_PUBLISHER_ADDRESS}/")
# The libraries the executable links are found by dpkg-shlibdeps; the platform
# plugins Qt loads at run time are not, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins (>= 6.4)")
set(CPACK_STRIP_FILES ON)

# The package's documents: the changelog and the manual pages compressed as
# Debian wants them (gzip -9n: no name, no time stamp), and the copyright file.
include(GNUInstallDirs)
set(package_docs ${PROJECT_BINARY_DIR}/package)
set(compressed)
foreach(doc changelog korvane.1 korvane.bg.1)
  add_custom_command(OUTPUT ${package_docs}/${doc}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${package_docs}
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/package/${doc} > ${package_docs}/${doc}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/package/${doc})
  list(APPEND compressed ${package_docs}/${doc}.gz)
endforeach()
add_custom_target(package_docs ALL DEPENDS ${compressed})
install(FILES package/copyright ${package_docs}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korvane)
install(FILES ${package_docs}/korvane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${package_docs}/korvane.bg.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/bg/man1 RENAME korvane.1.gz)

include(CPack)
