# Makes the release archive from a build folder:
#   cmake -DBUILD_DIR=<build folder> [-DDIST_DIR=<output folder>] -P cmake/package/make_package.cmake
# DIST_DIR/<package name>-<version>-win32.zip (updater-<version>-win32.zip unless the vendor
# names it) holds one folder of that name with what `cmake --install`
# puts there (bin/updater.exe, include/client/updater_client.h, INTEGRATION.md, LICENSE,
# THIRD-PARTY-NOTICES.txt and the CMake package config under lib/cmake/UpdaterClient) and SHA256SUMS over those files. Entries are
# sorted and dated 2000-01-01, so one build gives one archive.
if(NOT BUILD_DIR)
  message(FATAL_ERROR "BUILD_DIR is required")
endif()
if(NOT DIST_DIR)
  set(DIST_DIR ${BUILD_DIR}/dist)
endif()
file(STRINGS ${BUILD_DIR}/CMakeCache.txt version_line REGEX "^CMAKE_PROJECT_VERSION:")
string(REGEX REPLACE "^[^=]*=" "" version "${version_line}")
if(NOT version)
  message(FATAL_ERROR "${BUILD_DIR} is not a configured build of the updater")
endif()
# The archive's name starts with the vendor's package name (UPDATER_PACKAGE_NAME, by default from
# the product name; see CMakeLists.txt).
file(STRINGS ${BUILD_DIR}/CMakeCache.txt stem_line REGEX "^UPDATER_PACKAGE_STEM:")
string(REGEX REPLACE "^[^=]*=" "" stem "${stem_line}")
if(NOT stem)
  set(stem updater)
endif()
set(name ${stem}-${version}-win32)
set(stage ${DIST_DIR}/stage)
file(REMOVE_RECURSE ${stage} ${DIST_DIR}/${name}.zip)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${stage}/${name}
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()

file(GLOB_RECURSE files RELATIVE ${stage}/${name} ${stage}/${name}/*)
list(SORT files)
set(sums "")
foreach(file ${files})
  file(SHA256 ${stage}/${name}/${file} hash)
  string(APPEND sums "${hash}  ${file}\n")
endforeach()
file(WRITE ${stage}/${name}/SHA256SUMS "${sums}")

list(TRANSFORM files PREPEND ${name}/)
list(APPEND files ${name}/SHA256SUMS)
list(SORT files)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${DIST_DIR}/${name}.zip --format=zip "--mtime=2000-01-01 00:00:00 UTC"
                        ${files}
                WORKING_DIRECTORY ${stage} RESULT_VARIABLE zipped)
if(NOT zipped EQUAL 0)
  message(FATAL_ERROR "packing ${name}.zip failed")
endif()
file(REMOVE_RECURSE ${stage})
message(STATUS "${DIST_DIR}/${name}.zip")
