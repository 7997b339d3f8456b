# Installation layout and the Debian package (cpack -G DEB from the build
# folder). Only the program, its desktop integration and its documentation
# are installed.
include(GNUInstallDirs)

install(TARGETS tessik-control RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/tessik-control.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/icons/tessik-control.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
# udev reads rules from /usr/lib/udev/rules.d (and /etc/udev/rules.d), not
# from /usr/local; see README for installs under another prefix.
install(FILES packaging/70-tessik-sensor.rules DESTINATION lib/udev/rules.d)
# The session starts the program at every user's login. Desktops read
# autostart entries from /etc/xdg, not from the prefix, so only a system
# install (prefix /usr, as in the package) puts the entry there; an install
# under /usr/local leaves /etc alone, and "Start at Login" in the tray menu
# writes the user's own entry instead.
install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
        file(INSTALL \"${PROJECT_SOURCE_DIR}/packaging/autostart/tessik-control.desktop\"
             DESTINATION /etc/xdg/autostart)
    endif()")

# The manual page and the changelog go out compressed as Debian wants them:
# gzip -9, with no name or time stamp in the header (-n) so that every build
# of the same text gives the same bytes.
set(tessik_gzipped)
foreach(text IN ITEMS tessik-control.1 changelog)
    set(copy ${PROJECT_BINARY_DIR}/packaging/${text})
    add_custom_command(OUTPUT ${copy}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/${text} ${copy}
        COMMAND gzip -9nf ${copy}
        DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${text}
        VERBATIM)
    list(APPEND tessik_gzipped ${copy}.gz)
endforeach()
add_custom_target(tessik-gzipped-docs ALL DEPENDS ${tessik_gzipped})
install(FILES ${PROJECT_BINARY_DIR}/packaging/tessik-control.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tessik-control)

# AppStream metadata, for software centres. Screenshots must be web
# addresses: point this at where docs/screenshots of the repository is served.
# The default names that folder without a host.
set(TESSIK_SCREENSHOT_URL "https:///docs/screenshots" CACHE STRING
    "Web address of the repository's docs/screenshots folder, for the AppStream metadata")
configure_file(packaging/tessik-control.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/packaging/tessik-control.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/tessik-control.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME tessik-control)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessik-control)
set(CPACK_PACKAGE_VENDOR "Tessik Control developers")
set(CPACK_PACKAGE_CONTACT "Tessik Control developers <tessik-control@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "tray monitor that warns when a USB motion sensor sees movement")
set(CPACK_PACKAGE_DESCRIPTION
    "Tessik Control watches a USB HID motion sensor (vendor 0x2047, product 0x0301)
from the system tray and warns when something moves in front of it: an
always-on-top alert picture, a door-bell chime and an optional window switch.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# Loaded at run time, so dpkg-shlibdeps cannot see it: the sound back end.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt5multimedia5-plugins")
# The fonts the panel is laid out for (src/app/appstyle.cpp).
string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", fonts-crosextra-carlito, fonts-lato")
# conffiles: a change the administrator makes to the autostart entry in /etc
# survives upgrades.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/debian/conffiles
    ${PROJECT_SOURCE_DIR}/packaging/debian/postinst
    ${PROJECT_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
