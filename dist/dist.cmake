# Man pages, bash completion and AppStream metadata: sources in dist/ and man/, the version filled
# in at configure time, man pages compressed as Debian wants them.
set(ORVIK_DIST_DIR ${CMAKE_BINARY_DIR}/dist)

configure_file(${CMAKE_SOURCE_DIR}/dist/org.orvik.Orvik.metainfo.xml.in
               ${ORVIK_DIST_DIR}/org.orvik.Orvik.metainfo.xml @ONLY)
install(FILES ${ORVIK_DIST_DIR}/org.orvik.Orvik.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(FILES ${CMAKE_SOURCE_DIR}/dist/orvik-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME orvik-cli)

find_program(ORVIK_GZIP gzip REQUIRED)
set(ORVIK_VERSION ${PROJECT_VERSION})
set(man_pages)
foreach(page orvik orvik-cli orvik-radio-sim)
    configure_file(${CMAKE_SOURCE_DIR}/man/${page}.1 ${ORVIK_DIST_DIR}/${page}.1 @ONLY)
    add_custom_command(
        OUTPUT ${ORVIK_DIST_DIR}/${page}.1.gz
        COMMAND ${ORVIK_GZIP} -9nf -k ${ORVIK_DIST_DIR}/${page}.1
        DEPENDS ${ORVIK_DIST_DIR}/${page}.1
        COMMENT "Compressing the ${page}(1) man page")
    list(APPEND man_pages ${ORVIK_DIST_DIR}/${page}.1.gz)
endforeach()
add_custom_target(orvik_dist ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
