# Installing HUBQUILL as a desktop program, and its Debian package (scripts/package):
#   bin/hubquill, bin/hubquill-cli
#   share/applications/hubquill.desktop, share/icons/hicolor/<size>/apps/hubquill.{png,svg}
#   share/man/man1/hubquill-cli.1.gz (made from the program's help at build time)
#   share/bash-completion/completions/hubquill-cli
#   share/hubquill/hubquill.html, bin/hubquill-web and share/applications/hubquill-web.desktop
#   (the browser edition, opened in the default browser), when it is built (HUBQUILL_WEB)

include(GNUInstallDirs)

if(TARGET hubquill)
  install(TARGETS hubquill RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES resources/hubquill.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  foreach(size IN LISTS HUBQUILL_ICON_SIZES)
    install(FILES ${HUBQUILL_ICON_DIR}/hubquill-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME hubquill.png)
  endforeach()
  install(FILES ${HUBQUILL_ICON_DIR}/hubquill.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

if(TARGET hubquill-cli)
  install(TARGETS hubquill-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  set(HUBQUILL_MAN_PAGE ${CMAKE_BINARY_DIR}/man/hubquill-cli.1)
  find_program(GZIP_PROGRAM gzip REQUIRED)
  add_custom_command(OUTPUT ${HUBQUILL_MAN_PAGE}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:hubquill-cli> -DOUTPUT=${HUBQUILL_MAN_PAGE}
            -P ${CMAKE_SOURCE_DIR}/cmake/ManPage.cmake
    COMMAND ${GZIP_PROGRAM} -9 -n -f ${HUBQUILL_MAN_PAGE}
    DEPENDS hubquill-cli ${CMAKE_SOURCE_DIR}/cmake/ManPage.cmake
    COMMENT "Writing the manual page of hubquill-cli from its help")
  add_custom_target(hubquill_man ALL DEPENDS ${HUBQUILL_MAN_PAGE}.gz)
  install(FILES ${HUBQUILL_MAN_PAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES resources/hubquill-cli.bash
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
          RENAME hubquill-cli)
endif()

if(HUBQUILL_WEB)
  # The menu entry runs bin/hubquill-web, which finds the page beside itself wherever the
  # package or `cmake --install --prefix` put it.
  install(FILES ${HUBQUILL_WEB_HTML} DESTINATION ${CMAKE_INSTALL_DATADIR}/hubquill)
  install(PROGRAMS resources/hubquill-web DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES resources/hubquill-web.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()

set(HUBQUILL_MAINTAINER "HUBQUILL maintainers <maintainers@hubquill.invalid>" CACHE STRING
    "Maintainer field of the Debian package: name <address>")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hubquill)
set(CPACK_PACKAGE_VENDOR "HUBQUILL")
set(CPACK_PACKAGE_CONTACT "${HUBQUILL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration EEPROM images for USB 2.0 hub controllers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "HUBQUILL prepares the 256-byte configuration EEPROM image of twelve USB 2.0 hub\n"
  "models. The desktop program hubquill edits a model's settings in a form, writes\n"
  "the image as a raw .bin file for an external programmer and loads such files\n"
  "back; hubquill-cli builds and reads the same images from JSON profiles, without\n"
  "a display.")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the programs link (Qt, the C++ runtime) become the package's dependencies.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# hubquill-cli loads the PostgreSQL client only for a postgresql:// serial store.
# xdg-open opens the browser edition from its menu entry.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libpq5, xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
