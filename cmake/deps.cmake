# Target libraries that scripts/bootstrap installs or builds. The built ones live in a cache
# outside the build tree (UPDATER_DEPS_CACHE) so a clean build does not rebuild them.
set(UPDATER_DEPS_CACHE "$ENV{UPDATER_DEPS_CACHE}" CACHE PATH "Folder with the built target dependencies")
if(NOT UPDATER_DEPS_CACHE)
  set(UPDATER_DEPS_CACHE /var/cache/updater-deps CACHE PATH "" FORCE)
endif()
set(MINGW_SYSROOT /usr/i686-w64-mingw32)

add_library(dep_zlib STATIC IMPORTED GLOBAL)
set_target_properties(dep_zlib PROPERTIES IMPORTED_LOCATION ${MINGW_SYSROOT}/lib/libz.a
                      INTERFACE_INCLUDE_DIRECTORIES ${MINGW_SYSROOT}/include)

add_library(dep_minizip STATIC IMPORTED GLOBAL)
set_target_properties(dep_minizip PROPERTIES
  IMPORTED_LOCATION ${UPDATER_DEPS_CACHE}/minizip/lib/libminizip.a
  INTERFACE_INCLUDE_DIRECTORIES ${UPDATER_DEPS_CACHE}/minizip/include
  INTERFACE_COMPILE_DEFINITIONS "NOCRYPT;IOAPI_NO_64"
  INTERFACE_LINK_LIBRARIES dep_zlib)

add_library(dep_curl STATIC IMPORTED GLOBAL)
set_target_properties(dep_curl PROPERTIES
  IMPORTED_LOCATION ${UPDATER_DEPS_CACHE}/curl/lib/libcurl.a
  INTERFACE_INCLUDE_DIRECTORIES ${UPDATER_DEPS_CACHE}/curl/include
  INTERFACE_COMPILE_DEFINITIONS CURL_STATICLIB
  INTERFACE_LINK_LIBRARIES "ws2_32;crypt32;secur32;bcrypt;advapi32;iphlpapi")

# stb_image is a header-only library; one translation unit defines its implementation.
add_library(dep_stb INTERFACE)
target_include_directories(dep_stb SYSTEM INTERFACE /usr/include/stb)

add_library(dep_gtest STATIC IMPORTED GLOBAL)
set_target_properties(dep_gtest PROPERTIES
  IMPORTED_LOCATION ${UPDATER_DEPS_CACHE}/gtest/lib/libgtest.a
  INTERFACE_INCLUDE_DIRECTORIES ${UPDATER_DEPS_CACHE}/gtest/include)
add_library(dep_gtest_main STATIC IMPORTED GLOBAL)
set_target_properties(dep_gtest_main PROPERTIES
  IMPORTED_LOCATION ${UPDATER_DEPS_CACHE}/gtest/lib/libgtest_main.a
  INTERFACE_LINK_LIBRARIES dep_gtest)

# pugixml, built in wide-character mode by scripts/bootstrap: the XML benchmark's yardstick and
# the feed reader (which hands it UTF-8 bytes with encoding_utf8).
add_library(dep_pugixml STATIC IMPORTED GLOBAL)
set_target_properties(dep_pugixml PROPERTIES
  IMPORTED_LOCATION ${UPDATER_DEPS_CACHE}/pugixml/lib/libpugixml.a
  INTERFACE_INCLUDE_DIRECTORIES ${UPDATER_DEPS_CACHE}/pugixml/include
  INTERFACE_COMPILE_DEFINITIONS PUGIXML_WCHAR_MODE)

# libsodium (minimal, static) for the feed's Ed25519 signatures, built by scripts/bootstrap.
# Its random source on Windows is RtlGenRandom, hence advapi32.
add_library(dep_sodium STATIC IMPORTED GLOBAL)
set_target_properties(dep_sodium PROPERTIES
  IMPORTED_LOCATION ${UPDATER_DEPS_CACHE}/libsodium/lib/libsodium.a
  INTERFACE_INCLUDE_DIRECTORIES ${UPDATER_DEPS_CACHE}/libsodium/include
  INTERFACE_COMPILE_DEFINITIONS SODIUM_STATIC
  INTERFACE_LINK_LIBRARIES advapi32)

# zstd (static, library only, single-threaded) for delta releases, built by scripts/bootstrap.
add_library(dep_zstd STATIC IMPORTED GLOBAL)
set_target_properties(dep_zstd PROPERTIES
  IMPORTED_LOCATION ${UPDATER_DEPS_CACHE}/zstd/lib/libzstd.a
  INTERFACE_INCLUDE_DIRECTORIES ${UPDATER_DEPS_CACHE}/zstd/include)
