# The one project version as the generated version header and Windows resource
# script (version record and icon group), for the Linux and the Windows build alike.
# Out: generated/korvane_version.h and generated/korvane.rc in the build folder.
set(KORVANE_VERSION_PATCH ${PROJECT_VERSION_PATCH})
string(LENGTH "${PROJECT_VERSION_MINOR}" minor_length)
if(minor_length LESS 2)
  set(KORVANE_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.0${PROJECT_VERSION_MINOR}")
else()
  set(KORVANE_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
endif()
set(KORVANE_ICON_IMAGE "${PROJECT_SOURCE_DIR}/assets/korvane-icon.bin")
set(KORVANE_ICON_GROUP "${PROJECT_SOURCE_DIR}/assets/korvane-icon-group.bin")
configure_file(${PROJECT_SOURCE_DIR}/assets/version.h.in ${PROJECT_BINARY_DIR}/generated/korvane_version.h @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/assets/korvane.rc.in ${PROJECT_BINARY_DIR}/generated/korvane.rc @ONLY)

# A package's version (debian/rules passes debian/changelog's upstream part) is the project's.
if(DEFINED KORVANE_PACKAGE_VERSION AND NOT KORVANE_PACKAGE_VERSION STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "debian/changelog says version ${KORVANE_PACKAGE_VERSION}, project() in CMakeLists.txt "
                      "${PROJECT_VERSION}: give both the same version")
endif()
