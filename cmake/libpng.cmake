# libpng from Debian's source package, cross-built as a static library against the
# static zlib of libz-mingw-w64-dev (never the import library: no zlib1.dll at run time).
include(ExternalProject)
file(GLOB libpng_tarball ${PROJECT_SOURCE_DIR}/third_party/libpng1.6_*.orig.tar.*)
if(NOT libpng_tarball)
  message(FATAL_ERROR "libpng source missing: run scripts/setup.sh")
endif()
list(GET libpng_tarball 0 libpng_tarball)

set(mingw_root /usr/i686-w64-mingw32)
set(libpng_prefix ${CMAKE_BINARY_DIR}/libpng)
set(libpng_lib ${libpng_prefix}/lib/libpng16.a)
ExternalProject_Add(libpng_build
  URL ${libpng_tarball}
  DOWNLOAD_EXTRACT_TIMESTAMP TRUE
  PREFIX ${libpng_prefix}/work
  INSTALL_DIR ${libpng_prefix}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
    -DZLIB_LIBRARY=${mingw_root}/lib/libz.a
    -DZLIB_INCLUDE_DIR=${mingw_root}/include
  BUILD_BYPRODUCTS ${libpng_lib})

file(MAKE_DIRECTORY ${libpng_prefix}/include)
add_library(quiescor_png INTERFACE)
add_dependencies(quiescor_png libpng_build)
target_include_directories(quiescor_png INTERFACE ${libpng_prefix}/include)
target_link_libraries(quiescor_png INTERFACE ${libpng_lib} ${mingw_root}/lib/libz.a)
