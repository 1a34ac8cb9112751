# The product's version numbers live in common/product_version.h; CMake reads them from there
# so packages and resources never disagree with the binaries.
file(STRINGS ${CMAKE_SOURCE_DIR}/common/product_version.h _quillon_version_line
     REGEX "^#define QUILLON_VERSION_DOTTED ")
string(REGEX REPLACE ".*\"([0-9.]+)\".*" "\\1" QUILLON_VERSION "${_quillon_version_line}")
