# The product's version is written once, in project(VERSION ...) of the top CMakeLists.txt.
# Everything else derives from it: the packages' names (QUILLON_VERSION) and the generated
# product_version.h that the C++ code and the resource scripts include.
set(QUILLON_VERSION ${PROJECT_VERSION})

# The zero-filled text the programs show and stamp: 1.0.1020.0 -> 01.00.1020.0000.
function(quillon_zero_fill value width out)
  string(LENGTH "${value}" length)
  while(length LESS width)
    string(PREPEND value "0")
    math(EXPR length "${length} + 1")
  endwhile()
  set(${out} ${value} PARENT_SCOPE)
endfunction()
quillon_zero_fill(${PROJECT_VERSION_MAJOR} 2 _major)
quillon_zero_fill(${PROJECT_VERSION_MINOR} 2 _minor)
quillon_zero_fill(${PROJECT_VERSION_PATCH} 4 _build)
quillon_zero_fill(${PROJECT_VERSION_TWEAK} 4 _revision)
set(QUILLON_VERSION_TEXT "${_major}.${_minor}.${_build}.${_revision}")

set(QUILLON_VERSION_DIR ${CMAKE_BINARY_DIR}/generated)
set(QUILLON_VERSION_HEADER ${QUILLON_VERSION_DIR}/product_version.h)
configure_file(${CMAKE_SOURCE_DIR}/common/product_version.h.in ${QUILLON_VERSION_HEADER} @ONLY)
