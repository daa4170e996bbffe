# What a desktop and a distribution expect beside the programs: the desktop entry, the AppStream
# metainfo, the window's manual, the licence and the changelog. The programs, the music module,
# the icons and thornvale-cli's manual are installed by their own folders.
include(GNUInstallDirs)
find_program(THORNVALE_GZIP gzip REQUIRED)
set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging)

# The changelog's top entry is this release: its version must be project()'s, and its date is the
# one the metainfo gives the release.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${packaging_dir}/changelog)
file(STRINGS ${packaging_dir}/changelog changelog_lines)
list(GET changelog_lines 0 changelog_top)
if(NOT changelog_top MATCHES "^thornvale \\(([^)]+)\\)" OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog begins with \"${changelog_top}\", but project() says "
    "${PROJECT_VERSION}: give the new version its changelog entry")
endif()
list(FILTER changelog_lines INCLUDE REGEX "^ -- ")
list(GET changelog_lines 0 changelog_signature)
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
if(changelog_signature MATCHES ", ([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  list(FIND months ${CMAKE_MATCH_2} month)
endif()
if(NOT month GREATER_EQUAL 0)
  message(FATAL_ERROR "packaging/changelog: no date in \"${changelog_signature}\"")
endif()
math(EXPR month "${month} + 101")
math(EXPR day "${CMAKE_MATCH_1} + 100")
string(SUBSTRING ${month} 1 2 month)
string(SUBSTRING ${day} 1 2 day)
set(THORNVALE_RELEASE_DATE ${CMAKE_MATCH_3}-${month}-${day})

# Debian wants documentation compressed with gzip -9n (no name, no time stamp), the manual too.
function(thornvale_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${THORNVALE_GZIP} -9nc ${source} > ${output}
    DEPENDS ${source})
endfunction()

thornvale_gzip(${packaging_dir}/changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz ${packaging_dir}/copyright
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
set(compressed ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)

if(THORNVALE_BUILD_GUI)
  # Named after the window's Wayland app id (src/app/main.cpp), which is also the component id.
  set(app_id example.thornvale.Thornvale)
  install(FILES ${packaging_dir}/${app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${packaging_dir}/${app_id}.metainfo.xml.in ${app_id}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${app_id}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  configure_file(${packaging_dir}/thornvale.1.in thornvale.1 @ONLY)
  thornvale_gzip(${CMAKE_CURRENT_BINARY_DIR}/thornvale.1 ${CMAKE_CURRENT_BINARY_DIR}/thornvale.1.gz)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/thornvale.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  list(APPEND compressed ${CMAKE_CURRENT_BINARY_DIR}/thornvale.1.gz)
endif()
add_custom_target(thornvale_docs ALL DEPENDS ${compressed})
