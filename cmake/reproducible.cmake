# Builds that write no trace of the folders they ran in: the compilers see the source and
# build folders as relative names, in file names they embed and in any debug information.
# A release's builds (the dist-* presets, make release) are such builds, and so is every
# Windows build, whose executables also carry no link time (a PE time stamp of 0). Other
# times come from SOURCE_DATE_EPOCH, which scripts/release.sh sets to the commit's date.
option(KORVANE_REPRODUCIBLE "Build outputs that carry no build path (a release's builds)" OFF)
if(KORVANE_REPRODUCIBLE OR KORVANE_BUILD_WINDOWS)
  # The build folder may lie inside the source folder: its map comes last, so it wins.
  add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
                      "$<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=build/>")
endif()
if(KORVANE_BUILD_WINDOWS)
  add_link_options(-Wl,--no-insert-timestamp)
endif()
