# Installation and the Debian package. `cmake --install` puts the two programs, their manual
# pages, the desktop entry, the application icon, the bash completion and the udev rule under
# the prefix; `cpack` (scripts/package.sh) makes the .deb of the same files. The stand-ins,
# the tests and the benches are never installed.

include(GNUInstallDirs)

set(TRIVOX_PACKAGE_MAINTAINER "Trivox developers <developers@trivox.example>"
    CACHE STRING "Maintainer of the Debian package")
# /usr/lib/udev/rules.d under the package's /usr; udev reads it on merged-/usr systems and
# on split ones alike.
set(TRIVOX_UDEV_RULES_DIR "lib/udev/rules.d"
    CACHE STRING "Directory of the udev rule, relative to the prefix")

# The package holds two programs: making it must not wait for the tests and benches to
# build. scripts/package.sh builds what is installed.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
# Whatever the umask of the one who builds it.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS trivox trivox-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The manual pages get the version put in; they and the changelog are compressed, as Debian
# wants them, and -n leaves out the time stamp so that two builds give the same bytes.
find_program(TRIVOX_GZIP gzip REQUIRED)
set(compressed "")
foreach(page trivox trivox-cli)
  configure_file(${CMAKE_SOURCE_DIR}/docs/man/${page}.1.in ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
  list(APPEND compressed ${CMAKE_BINARY_DIR}/man/${page}.1)
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/doc/changelog COPYONLY)
list(APPEND compressed ${CMAKE_BINARY_DIR}/doc/changelog)
set(compressed_outputs "")
foreach(file ${compressed})
  add_custom_command(OUTPUT ${file}.gz COMMAND ${TRIVOX_GZIP} -9nkf ${file} DEPENDS ${file} VERBATIM)
  list(APPEND compressed_outputs ${file}.gz)
endforeach()
add_custom_target(trivox-docs ALL DEPENDS ${compressed_outputs})

install(FILES ${CMAKE_BINARY_DIR}/man/trivox.1.gz ${CMAKE_BINARY_DIR}/man/trivox-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/doc/changelog.gz ${CMAKE_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/trivox)
install(FILES ${CMAKE_SOURCE_DIR}/app/trivox.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${CMAKE_SOURCE_DIR}/cli/trivox-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME trivox-cli)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/70-trivox.rules DESTINATION ${TRIVOX_UDEV_RULES_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trivox)
set(CPACK_PACKAGE_VENDOR "Trivox")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator of GSM/GPRS telemetry terminals")
set(CPACK_PACKAGE_DESCRIPTION
    "Trivox configurator sets up Trivox GSM/GPRS telemetry terminals, directly
over a terminal's USB virtual serial port or through a relay server over
TCP: it shows the terminal's state, reads and writes its settings, downloads
its log and uploads firmware.
.
The package holds the window program, trivox, and its command-line
companion, trivox-cli, for scripted work on many terminals, with a udev rule
that lets the user at the seat open the terminal's port and keeps
ModemManager from probing it.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TRIVOX_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/postinst ${CMAKE_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
