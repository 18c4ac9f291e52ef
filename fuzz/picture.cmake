# The sources of the picture decoders' fuzz target (fuzz/picture_fuzz.cpp),
# for the native fuzz build to include:
#
#   set(QM_SOURCE_DIR ...)
#   include(${QM_SOURCE_DIR}/fuzz/picture.cmake)
#
# gives
#   qm_picture_fuzz_sources     the target and the decoders (absolute paths)
#   qm_picture_fuzz_includes    the include folders: a view holding platform/
#   qm_picture_fuzz_libraries   the build machine's own libjpeg, libpng and zlib
#                               (Debian's libjpeg62-turbo-dev, libpng-dev,
#                               zlib1g-dev), in place of the cross-built ones
#
# The decoders include no <windows.h>; picture_bitmap.cpp, which does, is left out.

if(NOT DEFINED QM_SOURCE_DIR)
  message(FATAL_ERROR "picture.cmake needs QM_SOURCE_DIR")
endif()

find_library(QM_HOST_JPEG_LIBRARY NAMES jpeg REQUIRED)
find_library(QM_HOST_PNG_LIBRARY NAMES png16 png REQUIRED)
find_library(QM_HOST_ZLIB_LIBRARY NAMES z REQUIRED)

set(picture_view "${CMAKE_BINARY_DIR}/picture_view")
file(REMOVE_RECURSE "${picture_view}")
file(MAKE_DIRECTORY "${picture_view}")
file(CREATE_LINK "${QM_SOURCE_DIR}/platform" "${picture_view}/platform" SYMBOLIC)

set(qm_picture_fuzz_sources "${QM_SOURCE_DIR}/fuzz/picture_fuzz.cpp")
foreach(name picture bmp_decoder gif_decoder jpeg_decoder png_decoder)
  list(APPEND qm_picture_fuzz_sources "${QM_SOURCE_DIR}/platform/${name}.cpp")
endforeach()
set(qm_picture_fuzz_includes "${picture_view}")
set(qm_picture_fuzz_libraries "${QM_HOST_PNG_LIBRARY}" "${QM_HOST_JPEG_LIBRARY}" "${QM_HOST_ZLIB_LIBRARY}")
