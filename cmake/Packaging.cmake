# Installation as a desktop program and the Debian package.
#
# The installed program names the directory of libvanto32 by its absolute path, so that it finds
# its own library whatever the environment says.
set(CMAKE_INSTALL_RPATH "${CMAKE_INSTALL_FULL_LIBDIR}")

set(TR4410_APPSTREAM_ID com.vanto.tr4410settings)
set(TR4410_ASSETS ${PROJECT_SOURCE_DIR}/assets)

install(FILES ${TR4410_ASSETS}/tr4410-settings.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TR4410_ASSETS}/${TR4410_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TR4410_ASSETS}/icons/tr4410-settings.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tr4410-settings)
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
    # The port-I/O library needs no run path of its own.
    set_target_properties(tr4410_vanto32 PROPERTIES INSTALL_RPATH "")
    foreach(dir LIBDIR BINDIR)
        if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
            set(install_${dir} "${CMAKE_INSTALL_${dir}}")
        else()
            set(install_${dir} "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_${dir}}")
        endif()
    endforeach()
    string(CONFIGURE [[
        set(libdir "@install_LIBDIR@")
        foreach(name tr4410-settings tr4410ctl)
        set(program "$ENV{DESTDIR}@install_BINDIR@/${name}")
        if(EXISTS "${program}" AND NOT libdir STREQUAL "@CMAKE_INSTALL_FULL_LIBDIR@")
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
    ]] code @ONLY)
    install(CODE "${code}")
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL tr4410_install_run_path)

# The Debian package: cpack -G DEB --config build/CPackConfig.cmake
set(CPACK_PACKAGE_NAME tr4410-settings)
set(CPACK_PACKAGE_VENDOR VANTO)
set(CPACK_PACKAGE_CONTACT "VANTO Technical Support")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "setup utility for the VANTO TR-4410 eight-port serial card")
# The package's long description (the summary above is its first line).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Shows a photograph of the TR-4410 with rings over its jumper groups and
connectors, turns each option choice (control base address, RS-232, RS-485 or
RS-422 protocol, termination, baud clock, port disable) into the jumper pattern
to fit, and writes the eight ports' I/O addresses, their shared IRQ and the
RS-422 mask into an installed card. The command-line tool tr4410ctl does the
same from a shell (jumper plan, port-resource write, card files) and prints
the Linux set-up of the ports: kernel parameter, setserial lines, systemd unit.

Writing to the card needs access to I/O ports. Only a small port helper,
which checks every request and can reach nothing but the card's registers,
holds the capability this takes (cap_sys_rawio). The helper may be run by root
and the members of the group tr4410, which the package creates; the program
itself holds no privilege.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Install with DESTDIR and the package's real prefix, so that the install step writes /usr/lib
# into the program's run path, not the staging directory.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX ${CPACK_PACKAGING_INSTALL_PREFIX})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/hardware)
# The libraries (Qt 6, libjpeg, the C and C++ run-times) come from the program's links; beside
# them it needs the fonts of its window layout, and the postinst needs setcap and addgroup.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wine, libcap2-bin, adduser")
set(TR4410_INSTALLED_HELPER
    ${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/tr4410-settings/tr4410-port-helper)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/postinst.in ${PROJECT_BINARY_DIR}/debian/postinst
    @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/postinst
    ${CMAKE_CURRENT_LIST_DIR}/debian/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
