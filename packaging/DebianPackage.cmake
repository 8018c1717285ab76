# The Debian package: scripts/package runs cpack on a Release build.

# Debian wants a copyright file, a compressed changelog and a compressed manual
# page; gzip -n keeps the archives free of timestamps.
set(STARLUME_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/starlume)
foreach(pair "debian-changelog.in;changelog" "starlume.1.in;starlume.1")
  list(GET pair 0 template)
  list(GET pair 1 name)
  configure_file(${template} ${CMAKE_CURRENT_BINARY_DIR}/${name} @ONLY)
  execute_process(
    COMMAND gzip -9 -n -c ${CMAKE_CURRENT_BINARY_DIR}/${name}
    OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/starlume.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT starlume)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${STARLUME_DOC_DIR} COMPONENT starlume)
install(FILES debian-copyright
        DESTINATION ${STARLUME_DOC_DIR} RENAME copyright COMPONENT starlume)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME starlume)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Starlume")
set(CPACK_PACKAGE_CONTACT "Starlume maintainers <maintainers@users.noreply.c-seed-62fa3d29.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "endless ambient soundscape with a chaos clock")
set(CPACK_PACKAGE_DESCRIPTION
"Starlume synthesises an endless, slowly evolving ambient soundscape in real
time and plays it to the desktop's default audio output (PulseAudio or
PipeWire), while its window shows an animated chaos clock of the time of day.
.
A mixer console styled as studio hardware sets each voice's level, mutes and
solos voices, freezes the evolution and picks presets. Nothing is loaded from
files and nothing is recorded.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Only the program and its desktop files, as one package.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};starlume;/")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps sees only linked libraries. The QML modules the windows import
# are loaded at run time from these packages, and no tool computes that list:
# QtQuick, QtQuick.Window, QtQuick.Controls.Basic (with the Templates it
# builds on) and QtQml with its WorkerScript.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qml6-module-qtquick, qml6-module-qtquick-window, qml6-module-qtquick-controls, qml6-module-qtquick-templates, qml6-module-qtqml, qml6-module-qtqml-workerscript")

include(CPack)
