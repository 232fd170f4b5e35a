# A release's build (the dist-* presets, make release) writes no trace of the folders it
# ran in: the compilers see the source and build folders as relative names, in file names
# they embed and in any debug information. Times come from SOURCE_DATE_EPOCH, which
# scripts/release.sh sets to the commit's date.
option(KORVANE_REPRODUCIBLE "Build outputs that carry no build path (a release's builds)" OFF)
if(KORVANE_REPRODUCIBLE)
  # The build folder may lie inside the source folder: its map comes last, so it wins.
  add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
                      "$<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=build/>")
endif()
