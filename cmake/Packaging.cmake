# What the Debian package installs, and the package itself (cpack -G DEB; scripts/package.sh
# builds it). Paths are relative to the install prefix, which the package puts at /usr.
include(GNUInstallDirs)

set(LOOM_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(LOOM_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/loomcraft)
foreach(program loomcraft loomcraft-cli kqform loomcraft-panelsim)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()
install(FILES ${LOOM_PACKAGING_DIR}/loomcraft.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${LOOM_PACKAGING_DIR}/loomcraft-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME loomcraft.xml)
install(FILES ${LOOM_PACKAGING_DIR}/icons/loomcraft.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${LOOM_PACKAGING_DIR}/icons/hicolor/${size}x${size}/loomcraft.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
# The program's help is built into it; the same pages are readable without the program,
# beside the template and archive documentation.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/app/resources/help/
        DESTINATION ${LOOM_DOC_DIR}/help)
install(FILES ${PROJECT_SOURCE_DIR}/docs/kqform.md ${PROJECT_SOURCE_DIR}/docs/templates.md
              ${PROJECT_SOURCE_DIR}/docs/archive.md ${PROJECT_SOURCE_DIR}/docs/link.md
        DESTINATION ${LOOM_DOC_DIR})

set(CPACK_PACKAGE_NAME loomcraft)
set(CPACK_PACKAGE_VENDOR Harvik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration tool for intruder-alarm panels")
# The summary is the package's synopsis, this its long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Loomcraft keeps each customer installation as an enciphered data file, shows it
as pages of fields under the panel model's template, and writes it into the
panel's PROM or reads it back over a serial port, a modem or TCP/IP. The package
also holds the template compiler kqform, the command-line tool loomcraft-cli and
the simulated panel loomcraft-panelsim.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Harvik Loomcraft <loomcraft@harvik.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Debian 12's packages of the libraries the programs link (readelf, ldd and dpkg -S on the
# built binaries); libqt6gui6 brings the xcb and offscreen platform plugins, qt6-qpa-plugins
# the others the program is built and tested with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.36), libstdc++6 (>= 12), libgcc-s1, libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6printsupport6 (>= 6.4), qt6-qpa-plugins (>= 6.4)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, qt6-translations-l10n")
include(CPack)
