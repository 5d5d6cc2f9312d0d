# What `cmake --install` puts under the prefix. Nothing here is written by the program later:
# an installed Pagemason keeps the files it writes in the user's XDG folders.
install(TARGETS pagemason pagemason-plugin-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS pm_tools_plugin LIBRARY DESTINATION ${PAGEMASON_INSTALL_PLUGINDIR})
install(FILES ${PAGEMASON_SHIPPED} DESTINATION ${PAGEMASON_INSTALL_DATADIR})
install(FILES ${PAGEMASON_GLYPHS} DESTINATION ${PAGEMASON_INSTALL_DATADIR}/glyphs)

install(FILES ${CMAKE_SOURCE_DIR}/desktop/pagemason.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${CMAKE_SOURCE_DIR}/desktop/pagemason.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/desktop/icons/pagemason-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME pagemason.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/desktop/pagemason.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The desktop entry names the installed executable by its full path, known only at install
# time (cmake --install --prefix may choose another prefix than the configured one).
install(CODE "
    set(PM_SOURCE \"${CMAKE_SOURCE_DIR}\")
    set(PM_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(PM_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
")
install(SCRIPT ${CMAKE_SOURCE_DIR}/cmake/InstallDesktopEntry.cmake)
