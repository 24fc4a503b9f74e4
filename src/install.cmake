# cmake --install: the program directory (executables beside setting.ini and the language files,
# as the program expects), a command on the PATH, the desktop entry, the *.735 file type and the
# icon. setting.ini is written by the program (language, port), so install to a prefix the user
# can write, e.g. cmake --install build --prefix ~/.local.
include(GNUInstallDirs)
set(ORVIK_PROGRAM_DIR ${CMAKE_INSTALL_LIBDIR}/orvik)

install(TARGETS orvik orvik-cli RUNTIME DESTINATION ${ORVIK_PROGRAM_DIR})
if(TARGET orvik-radio-sim)
    install(TARGETS orvik-radio-sim RUNTIME DESTINATION ${ORVIK_PROGRAM_DIR})
endif()
install(FILES
    ${ORVIK_DATA_SOURCE_DIR}/setting.ini
    ${ORVIK_DATA_SOURCE_DIR}/english.lang
    ${ORVIK_DATA_SOURCE_DIR}/chinese.lang
    ${ORVIK_DATA_SOURCE_DIR}/english.html
    ${ORVIK_DATA_SOURCE_DIR}/chinese.html
    ${ORVIK_DATA_SOURCE_DIR}/orvik.png
    DESTINATION ${ORVIK_PROGRAM_DIR})

# Commands on the PATH: links into the program directory (the programs find their data through
# /proc/self/exe, which resolves the link).
foreach(cmd orvik orvik-cli)
    install(CODE "
        file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        file(CREATE_LINK \"../${ORVIK_PROGRAM_DIR}/${cmd}\"
             \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${cmd}\" SYMBOLIC)")
endforeach()

install(FILES ${ORVIK_DATA_SOURCE_DIR}/orvik.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ORVIK_DATA_SOURCE_DIR}/orvik-735.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${ORVIK_DATA_SOURCE_DIR}/orvik.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
install(FILES ${ORVIK_DATA_SOURCE_DIR}/orvik.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# Refresh the desktop's caches when the tools are there (not with DESTDIR packaging).
install(CODE "
    if(NOT \"\$ENV{DESTDIR}\")
        find_program(UPDATE_MIME update-mime-database)
        if(UPDATE_MIME)
            execute_process(COMMAND \${UPDATE_MIME} \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/mime\" OUTPUT_QUIET ERROR_QUIET)
        endif()
        find_program(UPDATE_DESKTOP update-desktop-database)
        if(UPDATE_DESKTOP)
            execute_process(COMMAND \${UPDATE_DESKTOP} \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\" OUTPUT_QUIET ERROR_QUIET)
        endif()
    endif()")

# The udev rule for programming cables (desktop-user access, ModemManager keeps off). udev reads
# lib/udev/rules.d only under /usr or /; from another prefix the README says how to copy it.
install(FILES ${ORVIK_DATA_SOURCE_DIR}/60-orvik-cables.rules
        DESTINATION lib/udev/rules.d)
