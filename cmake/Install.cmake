# What `cmake --install` puts in place (GNU directories), and the Debian
# package CPack makes of it.
include(GNUInstallDirs)

# Installing and packaging need the programs and their desktop files alone
# (`make install` and `make package` build those first), not every test suite.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(BRELVIK_APP_ID org.brelvik.Splitter)
set(data ${PROJECT_SOURCE_DIR}/data)
set(made ${PROJECT_BINARY_DIR}/desktop)

# The icon theme's pictures, drawn from the window icon's drawing.
set(icon ${made}/icons/hicolor/scalable/apps/${BRELVIK_APP_ID}.svg)
add_custom_command(
  OUTPUT ${icon}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:brelvik-make-icons> ${made}/icons ${BRELVIK_APP_ID}
  DEPENDS brelvik-make-icons
  COMMENT "Drawing the icons")

configure_file(${data}/${BRELVIK_APP_ID}.metainfo.xml.in ${made}/${BRELVIK_APP_ID}.metainfo.xml
               @ONLY)

# Manual pages and the changelog, compressed as Debian wants them.
set(compressed)
foreach(file man/brelvik.1 man/brelvik-split.1 data/changelog)
  get_filename_component(name ${file} NAME)
  add_custom_command(
    OUTPUT ${made}/${name}.gz
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/${file} > ${made}/${name}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/${file})
  list(APPEND compressed ${made}/${name}.gz)
endforeach()

add_custom_target(brelvik_desktop_files ALL DEPENDS ${icon} ${compressed})

install(TARGETS brelvik brelvik-split RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${data}/${BRELVIK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${made}/${BRELVIK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${made}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${made}/brelvik.1.gz ${made}/brelvik-split.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${data}/copyright ${made}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/brelvik)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brelvik)
set(CPACK_PACKAGE_VENDOR "The Brelvik developers")
set(CPACK_PACKAGE_CONTACT "Brelvik developers <dev@brelvik.org>")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_SOURCE_DIR}/build/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://brelvik.org/)
# Dependencies from the shared libraries the programs link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "cut MP3 files into pieces at the points you pick while listening")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Brelvik MP3 Splitter opens one MP3 file, plays it with a time and
current-frame display, collects breakpoints from the playback position or
typed in, each with a 3-second preview, and writes one file per pair of
neighbouring breakpoints, named from a template such as live-%track%.mp3.
.
Nothing is re-encoded: pieces are plain byte ranges of the file, or exact
pieces cut on whole frames with their own header, tags and gapless joins.
The command-line splitter brelvik-split runs the same engine.")
include(CPack)
