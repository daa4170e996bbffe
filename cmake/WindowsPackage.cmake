# Windows only: the windows-package target (make windows-package), the installer and the portable
# zip of what `cmake --install` puts in a folder; packaging/windows/package.cmake does the work.
find_program(THORNVALE_MAKENSIS makensis)
add_custom_target(windows-package
  COMMAND ${CMAKE_COMMAND}
    -DBUILD_DIR=${PROJECT_BINARY_DIR}
    -DVERSION=${PROJECT_VERSION}
    -DICON=${THORNVALE_ICO}
    -DLICENSE=${PROJECT_SOURCE_DIR}/LICENSE
    -DNSI=${PROJECT_SOURCE_DIR}/packaging/windows/thornvale.nsi
    -DMAKENSIS=${THORNVALE_MAKENSIS}
    -P ${PROJECT_SOURCE_DIR}/packaging/windows/package.cmake
  USES_TERMINAL
  VERBATIM)
add_dependencies(windows-package thornvale thornvale-cli thornvale_ico)
