# Desktop integration and the Debian package: `cmake --install` puts the program, its
# icons, desktop entry and AppStream metainfo in the usual places; `cpack` wraps the
# same tree into lumivox_<version>_<arch>.deb.
if(WIN32 AND TARGET lumivox)
    include(${CMAKE_CURRENT_LIST_DIR}/windows.cmake)
    return()
endif()
if(NOT LUMIVOX_WITH_QT)
    return()
endif()
include(GNUInstallDirs)

set(LUMIVOX_APP_ID "example.lumivox.Lumivox" CACHE STRING "Desktop and AppStream id")
set(LUMIVOX_LICENSE "MIT" CACHE STRING "SPDX licence of the program")
set(LUMIVOX_RELEASE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}")
set(LUMIVOX_RELEASE_DATE "2014-09-21" CACHE STRING "Date of this release")
set(LUMIVOX_SCREENSHOT_URL "https://lumivox.example/screenshots/timer-page.png"
    CACHE STRING "Where the metainfo's screenshot is published (docs/screenshots/timer-page.png)")
set(LUMIVOX_PACKAGE_MAINTAINER "Lumivox工作室 <support@lumivox.example>"
    CACHE STRING "Maintainer field of the Debian package")

set(packaging_dir ${CMAKE_CURRENT_LIST_DIR})
configure_file(${packaging_dir}/${LUMIVOX_APP_ID}.metainfo.xml.in
    ${PROJECT_BINARY_DIR}/packaging/${LUMIVOX_APP_ID}.metainfo.xml @ONLY)

install(FILES ${packaging_dir}/${LUMIVOX_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${LUMIVOX_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/lumivox-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
        RENAME lumivox.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/lumivox.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${packaging_dir}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# --- Debian package -------------------------------------------------------------
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "lumivox")
set(CPACK_PACKAGE_VERSION "${LUMIVOX_RELEASE_VERSION}")
set(CPACK_PACKAGE_VENDOR "Lumivox工作室")
set(CPACK_PACKAGE_CONTACT "${LUMIVOX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Talking clock and countdown timer (Chinese interface)")
set(CPACK_PACKAGE_DESCRIPTION
    "Speaks the time of day in Mandarin on the full hour, the half hour or both,\n"
    "and runs a countdown that speaks the minutes and seconds left as the end\n"
    "approaches. Hides in the notification area when minimised.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY "lumivox")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${LUMIVOX_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${LUMIVOX_HOME_URL}/")
# Not found by the shared-library scan: the X11 platform plugin Qt loads at run time,
# the sound server's client library the program opens when it first speaks, and a font
# that has the Chinese characters of the window: first the one the window was drawn
# for, then the others it is tested with.
set(lumivox_runtime_depends
    "libpulse0, qt6-qpa-plugins, fonts-wqy-zenhei | fonts-wqy-microhei | fonts-noto-cjk | fonts-droid-fallback")
find_program(LUMIVOX_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(LUMIVOX_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    string(PREPEND lumivox_runtime_depends
        "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), "
        "libqt6network6 (>= 6.4), libqt6dbus6 (>= 6.4), libxcb1, ")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${lumivox_runtime_depends}")
# Closing the window opens the maker's page in the browser; a session with only
# Wayland needs Qt's Wayland platform plugin.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
include(CPack)
