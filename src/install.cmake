# cmake --install: the programs to bin/, the shipped read-only data to share/orvik (the programs
# find it as ../share/orvik from their own folder and keep setting.ini per user in
# ~/.config/orvik), the desktop entry, the *.735 file type, icons and the udev rule for programming
# cables; man pages, bash completion and AppStream metadata come from dist/dist.cmake.
include(GNUInstallDirs)
set(ORVIK_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/orvik)

install(TARGETS orvik orvik-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET orvik-radio-sim)
    install(TARGETS orvik-radio-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# Every language and help page of data/, so a new language ships without touching this file.
file(GLOB ORVIK_LANGUAGE_FILES CONFIGURE_DEPENDS
     ${ORVIK_DATA_SOURCE_DIR}/*.lang ${ORVIK_DATA_SOURCE_DIR}/*.html)
install(FILES ${ORVIK_DATA_SOURCE_DIR}/setting.ini ${ORVIK_LANGUAGE_FILES}
              ${ORVIK_DATA_SOURCE_DIR}/orvik.png
        DESTINATION ${ORVIK_SHARE_DIR})

# The shipped channel plans, one CSV file per service.
file(GLOB ORVIK_PLAN_FILES CONFIGURE_DEPENDS ${ORVIK_DATA_SOURCE_DIR}/plans/*.csv)
install(FILES ${ORVIK_PLAN_FILES} DESTINATION ${ORVIK_SHARE_DIR}/plans)

install(FILES ${ORVIK_DATA_SOURCE_DIR}/orvik.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ORVIK_DATA_SOURCE_DIR}/orvik-735.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${ORVIK_DATA_SOURCE_DIR}/orvik.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
foreach(size 16 32 48)
    install(FILES ${ORVIK_DATA_SOURCE_DIR}/icons/orvik-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME orvik.png)
endforeach()
install(FILES ${ORVIK_DATA_SOURCE_DIR}/orvik.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# Refresh the desktop's caches when the tools are there (not with DESTDIR packaging, where the
# package manager's triggers do it).
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

include(${CMAKE_SOURCE_DIR}/dist/dist.cmake)

# The udev rule for programming cables (desktop-user access, ModemManager keeps off). udev reads
# lib/udev/rules.d only under /usr or /; from another prefix the README says how to copy it.
install(FILES ${ORVIK_DATA_SOURCE_DIR}/60-orvik-cables.rules
        DESTINATION lib/udev/rules.d)
