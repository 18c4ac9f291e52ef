# The sources of the qvx archive fuzz target (fuzz/qvx_archive_fuzz.cpp),
# for the native fuzz build to include:
#
#   set(QM_SOURCE_DIR ...)        the repository
#   set(QM_7ZIP_SOURCE_DIR ...)   the C folder of Debian's 7zip source package
#   include(${QM_SOURCE_DIR}/fuzz/qvx_archive.cmake)
#
# gives
#   qm_qvx_fuzz_sources        the target, qvx.lib's portable core and the
#                              7-Zip C files it needs (absolute paths)
#   qm_qvx_fuzz_7zip_sources   the 7-Zip C files alone: third-party code
#   qm_qvx_fuzz_7zip_options   compile options for them: no warnings (not ours
#                              to fix), and no alignment check: on x86 and
#                              ARM64 7-Zip reads header fields unaligned on
#                              purpose (CpuArch.h, MY_CPU_LE_UNALIGN)
#   qm_qvx_fuzz_includes       the include folders
#
# for instance
#   set_source_files_properties(${qm_qvx_fuzz_7zip_sources} PROPERTIES
#                               COMPILE_OPTIONS "${qm_qvx_fuzz_7zip_options}")

foreach(variable QM_SOURCE_DIR QM_7ZIP_SOURCE_DIR)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "qvx_archive.cmake needs ${variable}")
  endif()
endforeach()
if(NOT EXISTS "${QM_7ZIP_SOURCE_DIR}/7zArcIn.c")
  message(FATAL_ERROR "The 7-Zip C sources are not in ${QM_7ZIP_SOURCE_DIR}: "
                      "scripts/build-deps.sh fetches them into <build>/deps/7zip/C.")
endif()

include("${QM_SOURCE_DIR}/qvx/sources.cmake")
set(qm_qvx_fuzz_7zip_sources ${qvx_7zip_sources})
set(qm_qvx_fuzz_7zip_options -w -fno-sanitize=alignment)
set(qm_qvx_fuzz_sources "${QM_SOURCE_DIR}/fuzz/qvx_archive_fuzz.cpp" ${qvx_core_sources} ${qvx_7zip_sources})
set(qm_qvx_fuzz_includes "${QM_SOURCE_DIR}" "${QM_7ZIP_SOURCE_DIR}")
