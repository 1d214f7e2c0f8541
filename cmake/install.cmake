# Install layout and the Debian package. The program looks for its data beside itself,
# else in ../share/nibbly, so an installed tree works under any prefix and can be moved.
include(GNUInstallDirs)

# One id, from the product's site nibbly.example.org: desktop entry, metainfo, file type,
# icons and the running window's desktop file name.
set(NIBBLY_ID org.example.nibbly)
target_compile_definitions(nibbly_core PRIVATE NIBBLY_ID="${NIBBLY_ID}")

set(NIBBLY_DATA_DEST ${CMAKE_INSTALL_DATADIR}/nibbly)
install(TARGETS nibbly nibbly-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${NIBBLY_DATA_PATHS} DESTINATION ${NIBBLY_DATA_DEST})
install(DIRECTORY ${NIBBLY_BIN_DIR}/help DESTINATION ${NIBBLY_DATA_DEST} OPTIONAL)
# The generator's program icons, for the menu (the window takes them from the data folder).
foreach(size 16 32 48 64 128 256)
  install(FILES ${NIBBLY_BIN_DIR}/icon-${size}.png RENAME ${NIBBLY_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES packaging/${NIBBLY_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/${NIBBLY_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The recordings' file type, so that the desktop opens one with the game.
install(FILES packaging/${NIBBLY_ID}.mime.xml RENAME ${NIBBLY_ID}.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

# Manual pages and the package's changelog go out compressed at the highest level, as
# Debian expects; configure_file makes an edit re-run this step.
set(NIBBLY_PACKED ${CMAKE_BINARY_DIR}/packaging)
foreach(page nibbly.6 nibbly-sim.6 changelog)
  configure_file(packaging/${page} ${NIBBLY_PACKED}/${page} @ONLY)
  execute_process(COMMAND gzip -9nc ${NIBBLY_PACKED}/${page}
                  OUTPUT_FILE ${NIBBLY_PACKED}/${page}.gz COMMAND_ERROR_IS_FATAL ANY)
endforeach()
install(FILES ${NIBBLY_PACKED}/nibbly.6.gz ${NIBBLY_PACKED}/nibbly-sim.6.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES packaging/copyright ${NIBBLY_PACKED}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/nibbly)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "maze-chase arcade game")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_DEBIAN_PACKAGE_NAME nibbly)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://nibbly.example.org/)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Nibbly developers <games@nibbly.example.org>")
# CPack indents the lines and marks the empty one as a paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Steer the dot-eater through a maze of 28 by 31 cells, clear every dot and
power pill, eat the frightened ghosts and grab the bonus fruit. One or two
players take turns; three speeds and two looks. The window speaks Chinese.

The package also holds nibbly-sim, which replays a scripted game headless and
writes a trace of it.")
# The libraries come from shlibdeps; SDL, the X11 and Wayland platform plugins and the sans face
# of the score are loaded at run time, unseen by it. The Chinese face travels in the package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsdl2-2.0-0 (>= 2.0.18), qt6-qpa-plugins, qt6-wayland, fonts-dejavu-core")
include(CPack)
