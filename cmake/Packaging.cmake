# Installation as a desktop program (the Debian package, debian/, installs through this too).
#
# libvanto32 is the program's own library, no system library: it goes into a folder of the
# program's own, which the programs name by its absolute path, so that they find their library
# whatever the environment says.
set(TR4410_LIBDIR lib/tr4410-settings)
set(CMAKE_INSTALL_RPATH "${CMAKE_INSTALL_PREFIX}/${TR4410_LIBDIR}")

set(TR4410_APPSTREAM_ID com.vanto.tr4410settings)
set(TR4410_ASSETS ${PROJECT_SOURCE_DIR}/assets)

install(FILES ${TR4410_ASSETS}/tr4410-settings.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TR4410_ASSETS}/${TR4410_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TR4410_ASSETS}/icons/tr4410-settings.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tr4410-settings)
# The Ansible role and its example playbook, for the controller of a fleet.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/deploy/ansible/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tr4410-settings/ansible)
# tr4410ctl's bash completion, where bash-completion loads it on the first <Tab> after the name.
install(FILES ${TR4410_ASSETS}/bash-completion/tr4410ctl
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
# The manual pages, compressed as Debian keeps them (-n: the same bytes on every build).
find_program(TR4410_GZIP gzip REQUIRED)
set(TR4410_MAN_PAGES)
foreach(page tr4410-settings.1 tr4410ctl.1)
    set(compressed ${PROJECT_BINARY_DIR}/man/${page}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
        COMMAND ${TR4410_GZIP} -9nc ${TR4410_ASSETS}/man/${page} > ${compressed}
        DEPENDS ${TR4410_ASSETS}/man/${page} VERBATIM)
    list(APPEND TR4410_MAN_PAGES ${compressed})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${TR4410_MAN_PAGES})
install(FILES ${TR4410_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${TR4410_ASSETS}/icons/tr4410-settings-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tr4410-settings.png)
endforeach()

# The run path written at build time names the lib directory of the configured prefix. An install
# into another prefix (cmake --install --prefix, or the package's /usr) must point it at the lib
# directory actually used, so it is set again once the programs are in place. This has to run after
# the program's own install rule, hence deferred to the end of the top directory.
function(tr4410_install_run_path)
    set(install_LIBDIR "\${CMAKE_INSTALL_PREFIX}/${TR4410_LIBDIR}")
    if(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
        set(install_BINDIR "${CMAKE_INSTALL_BINDIR}")
    else()
        set(install_BINDIR "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}")
    endif()
    set(configured_LIBDIR "${CMAKE_INSTALL_PREFIX}/${TR4410_LIBDIR}")
    string(CONFIGURE [[
        set(libdir "@install_LIBDIR@")
        foreach(name tr4410-settings tr4410ctl)
        set(program "$ENV{DESTDIR}@install_BINDIR@/${name}")
        if(EXISTS "${program}" AND NOT libdir STREQUAL "@configured_LIBDIR@")
            find_program(TR4410_PATCHELF patchelf)
            if(TR4410_PATCHELF)
                execute_process(COMMAND "${TR4410_PATCHELF}" --set-rpath "${libdir}" "${program}"
                    RESULT_VARIABLE failed)
                if(failed)
                    message(FATAL_ERROR "Could not set the run path of ${program} to ${libdir}")
                endif()
            else()
                # Without patchelf the new path must fit in the space of the old one.
                file(RPATH_SET FILE "${program}" NEW_RPATH "${libdir}")
            endif()
            message(STATUS "Run path of ${program}: ${libdir}")
        endif()
        endforeach()
        if(NOT libdir STREQUAL "@configured_LIBDIR@")
            message(WARNING "libvanto32 starts the port helper of the prefix it was configured for, "
                "@CMAKE_INSTALL_FULL_LIBEXECDIR@/tr4410-settings: configure with "
                "-DCMAKE_INSTALL_PREFIX=${CMAKE_INSTALL_PREFIX} for port access from this install")
        endif()
    ]] code @ONLY)
    install(CODE "${code}")
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL tr4410_install_run_path)
