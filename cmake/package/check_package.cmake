# Checks a release as a host developer gets it:
#   cmake -DBUILD_DIR=<build folder> -DSOURCE_DIR=<source folder> -P cmake/package/check_package.cmake
# makes the archive into a scratch folder, unpacks it, checks it against its SHA256SUMS and the
# built updater.exe, and builds the README's host snippet against it with the cross compiler
# through find_package(UpdaterClient). Fails (FATAL_ERROR) at the first step that does not hold.
# Run by scripts/package after making the archive, and by the test "package".
set(work ${BUILD_DIR}/package-check)
file(REMOVE_RECURSE ${work})
execute_process(COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${BUILD_DIR} -DDIST_DIR=${work}/dist
                        -P ${SOURCE_DIR}/cmake/package/make_package.cmake RESULT_VARIABLE made)
file(GLOB archives ${work}/dist/*-win32.zip)
list(LENGTH archives count)
if(NOT made EQUAL 0 OR NOT count EQUAL 1)
  message(FATAL_ERROR "no release archive was made")
endif()
file(MAKE_DIRECTORY ${work}/unpacked)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${archives} WORKING_DIRECTORY ${work}/unpacked)
file(GLOB root ${work}/unpacked/*-win32)

# Every listed file matches its sum, the program is the one built, and nothing is unlisted.
file(STRINGS ${root}/SHA256SUMS lines)
file(GLOB_RECURSE present RELATIVE ${root} ${root}/*)
list(REMOVE_ITEM present SHA256SUMS)
foreach(line ${lines})
  string(REGEX MATCH "^([0-9a-f]+)  (.+)$" parts "${line}")
  file(SHA256 ${root}/${CMAKE_MATCH_2} actual)
  if(NOT actual STREQUAL CMAKE_MATCH_1)
    message(FATAL_ERROR "${CMAKE_MATCH_2} does not match SHA256SUMS")
  endif()
  list(REMOVE_ITEM present ${CMAKE_MATCH_2})
endforeach()
foreach(expected bin/updater.exe bin/updater-sign.exe bin/launcher.exe include/client/updater_client.h INTEGRATION.md VENDOR-GUIDE.md
                 LICENSE THIRD-PARTY-NOTICES.txt
                 lib/cmake/UpdaterClient/UpdaterClientConfig.cmake)
  if(NOT EXISTS ${root}/${expected})
    message(FATAL_ERROR "the package lacks ${expected}")
  endif()
endforeach()
if(present)
  message(FATAL_ERROR "files outside SHA256SUMS: ${present}")
endif()
# The licence, and a notice for every library linked into updater.exe.
file(READ ${root}/LICENSE license)
if(NOT license MATCHES "MIT License" OR NOT license MATCHES "The Updater authors")
  message(FATAL_ERROR "the package's LICENSE is not the project's MIT licence")
endif()
file(READ ${root}/THIRD-PARTY-NOTICES.txt notices)
foreach(library libcurl zlib minizip stb_image pugixml libsodium)
  string(FIND "${notices}" "\n${library} " at)
  if(at LESS 0)
    message(FATAL_ERROR "THIRD-PARTY-NOTICES.txt lacks the notice of ${library}")
  endif()
endforeach()
file(SHA256 ${root}/bin/updater.exe packed)
file(SHA256 ${BUILD_DIR}/bin/updater.exe built)
if(NOT packed STREQUAL built)
  message(FATAL_ERROR "the packed updater.exe is not the one built")
endif()

# The README's host snippet: the indented block that starts with the client header's #include.
file(STRINGS ${SOURCE_DIR}/README.md readme)
set(snippet "")
set(inside FALSE)
foreach(line IN LISTS readme)
  if(line MATCHES "^    #include \"client/updater_client.h\"")
    set(inside TRUE)
  elseif(inside AND NOT line STREQUAL "" AND NOT line MATCHES "^    ")
    break()
  endif()
  if(inside)
    string(REGEX REPLACE "^    " "" line "${line}")
    string(APPEND snippet "${line}\n")
  endif()
endforeach()
if(snippet STREQUAL "")
  message(FATAL_ERROR "README.md has no host snippet")
endif()
set(host ${work}/host)
file(WRITE ${host}/host.cpp "${snippet}
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    OnMainWindowCreated(GetDesktopWindow());
    if (GetTickCount() == 0) InstallNewVersion();
    OnMainWindowDestroyed();
    return 0;
}
")
file(WRITE ${host}/CMakeLists.txt "cmake_minimum_required(VERSION 3.20)
project(host_of_the_release CXX)
find_package(UpdaterClient 1 REQUIRED)
add_executable(host WIN32 host.cpp)
target_compile_options(host PRIVATE -Wall -Wextra -Werror)
target_link_options(host PRIVATE -municode -static)
target_link_libraries(host PRIVATE UpdaterClient::UpdaterClient)
")
execute_process(COMMAND ${CMAKE_COMMAND} -S ${host} -B ${host}/build
                        -DCMAKE_TOOLCHAIN_FILE=${SOURCE_DIR}/cmake/mingw-i686.cmake
                        -DUpdaterClient_DIR=${root}/lib/cmake/UpdaterClient
                RESULT_VARIABLE configured OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT configured EQUAL 0)
  message(FATAL_ERROR "the host project could not find the package:\n${out}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${host}/build RESULT_VARIABLE built_host
                OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT built_host EQUAL 0 OR NOT EXISTS ${host}/build/host.exe)
  message(FATAL_ERROR "the README's host snippet did not build against the package:\n${out}")
endif()
file(REMOVE_RECURSE ${work})
message(STATUS "package ${archives}: sums hold, the host snippet builds against it")
