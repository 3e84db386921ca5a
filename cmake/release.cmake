# The install rules of a release: updater.exe, the client header, the integration guide, the
# licence with the notices of the libraries linked into updater.exe, and a CMake package config
# through which a host project finds the header.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
set(UPDATER_CONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/UpdaterClient)

# The integration guide is the README's section for host developers, cut out at configure time
# so that it is written in one place only.
file(READ ${PROJECT_SOURCE_DIR}/README.md readme_text)
string(FIND "${readme_text}" "## Calling the updater from a host application" guide_start)
string(FIND "${readme_text}" "\n## Layout" guide_end)
if(guide_start LESS 0 OR guide_end LESS guide_start)
  message(FATAL_ERROR "README.md lacks its host section; the integration guide is made from it")
endif()
math(EXPR guide_length "${guide_end} - ${guide_start}")
string(SUBSTRING "${readme_text}" ${guide_start} ${guide_length} guide_text)
file(WRITE ${UPDATER_GENERATED_DIR}/INTEGRATION.md.tmp
     "# Integrating updater ${PROJECT_VERSION}\n\n${guide_text}")
configure_file(${UPDATER_GENERATED_DIR}/INTEGRATION.md.tmp ${UPDATER_GENERATED_DIR}/INTEGRATION.md COPYONLY)

install(TARGETS updater RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The vendor's signing tool for the update feed (keys, release files, the feed itself).
install(TARGETS updater_sign RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The launcher of whole-folder installations, which `updater-sign pack` copies from beside itself.
install(TARGETS launcher RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/client/updater_client.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/client)
# The vendor's guide (feeds, signing, rotation, recovery) is whole in the archive, pointing nowhere
# outside it.
install(FILES ${UPDATER_GENERATED_DIR}/INTEGRATION.md ${PROJECT_SOURCE_DIR}/docs/VENDOR-GUIDE.md ${PROJECT_SOURCE_DIR}/LICENSE
              ${PROJECT_SOURCE_DIR}/THIRD-PARTY-NOTICES.txt DESTINATION .)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/package/UpdaterClientConfig.cmake.in
  ${UPDATER_GENERATED_DIR}/UpdaterClientConfig.cmake INSTALL_DESTINATION ${UPDATER_CONFIG_DIR}
  PATH_VARS CMAKE_INSTALL_INCLUDEDIR CMAKE_INSTALL_BINDIR)
write_basic_package_version_file(${UPDATER_GENERATED_DIR}/UpdaterClientConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES ${UPDATER_GENERATED_DIR}/UpdaterClientConfig.cmake
              ${UPDATER_GENERATED_DIR}/UpdaterClientConfigVersion.cmake
        DESTINATION ${UPDATER_CONFIG_DIR})
