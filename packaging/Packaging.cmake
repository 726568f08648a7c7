# Install rules, packages and the portable build of the installed programs:
# the three components, fwpack-catalog and patprobe with their manual pages.
# The simulator and the test programs are not installed.
include(GNUInstallDirs)

set(FWPACK_VERSION 1.0.0)
set(FWPACK_PROGRAMS fwpack fwpack-emulex fwpack-brocade fwpack-catalog patprobe)

# The C++ runtime and libgcc linked in, so a program needs only the C
# library and libxml2.so.2 of the server it runs on.
option(FWPACK_PORTABLE "Link libstdc++ and libgcc statically into the installed programs" OFF)
if(FWPACK_PORTABLE)
  foreach(program IN LISTS FWPACK_PROGRAMS)
    target_link_options(${program} PRIVATE -static-libstdc++ -static-libgcc)
  endforeach()
endif()

install(TARGETS ${FWPACK_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The pages carry the version; fwpack-emulex and fwpack-brocade are
# described by the page of fwpack.
foreach(page fwpack fwpack-catalog patprobe)
  configure_file(${CMAKE_SOURCE_DIR}/man/${page}.1 ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
foreach(alias fwpack-emulex fwpack-brocade)
  file(CREATE_LINK fwpack.1 ${CMAKE_BINARY_DIR}/man/${alias}.1 SYMBOLIC)
  install(FILES ${CMAKE_BINARY_DIR}/man/${alias}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_SOURCE_DIR}/packaging/changelog
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME fwpack)
set(CPACK_PACKAGE_VERSION ${FWPACK_VERSION})
set(CPACK_PACKAGE_VENDOR "fwpack developers")
set(CPACK_PACKAGE_CONTACT "fwpack developers <fwpack@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "firmware update component for Fibre Channel host bus adapters")
set(CPACK_PACKAGE_DESCRIPTION
    "fwpack runs from a firmware package directory, finds the installed QLogic,
Emulex or Brocade adapters, decides per firmware item whether flashing would
upgrade, downgrade or rewrite it, and then writes a self-discovery report or
runs the vendor's flash tool, logging to /var/qmx/Component.log.
fwpack-catalog checks a package's reference catalogue.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Manual pages and the changelog are compressed in the package, as the
# distributions expect.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/packaging/compress-docs.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies (libxml2, the C library, the C++ runtime unless portable)
# from the binaries themselves; nothing is bundled.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

find_program(FWPACK_RPMBUILD rpmbuild)
if(FWPACK_RPMBUILD)
  list(APPEND CPACK_GENERATOR RPM)
endif()
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_LICENSE "Proprietary")
set(CPACK_RPM_PACKAGE_GROUP "Applications/System")
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
# Dependencies from the binaries, as for the .deb.
set(CPACK_RPM_PACKAGE_AUTOREQ ON)
# No /usr/lib/.build-id links: they belong to debug-info packages.
set(CPACK_RPM_SPEC_MORE_DEFINE "%define _build_id_links none")
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
    /usr/share/man /usr/share/man/man1 /usr/share/doc)

include(CPack)
