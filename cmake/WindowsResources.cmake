# Windows only: the program's icon, rendered from the one SVG (rsvg-convert, then ImageMagick's
# convert to a multi-size .ico), and version information, compiled into a program by windres.
find_program(THORNVALE_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(THORNVALE_CONVERT convert REQUIRED)
set(THORNVALE_ICO ${PROJECT_BINARY_DIR}/thornvale.ico)
set(ico_svg ${PROJECT_SOURCE_DIR}/src/shell/resources/thornvale.svg)
set(ico_pngs)
foreach(size 16 24 32 48 64 256)
  set(png ${PROJECT_BINARY_DIR}/ico-${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${THORNVALE_RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${ico_svg}
    DEPENDS ${ico_svg}
    VERBATIM)
  list(APPEND ico_pngs ${png})
endforeach()
add_custom_command(OUTPUT ${THORNVALE_ICO}
  COMMAND ${THORNVALE_CONVERT} ${ico_pngs} ${THORNVALE_ICO}
  DEPENDS ${ico_pngs}
  COMMENT "Making the program's .ico"
  VERBATIM)
add_custom_target(thornvale_ico DEPENDS ${THORNVALE_ICO})

# thornvale_windows_resources(TARGET NAME DESCRIPTION): the icon and version block for TARGET.
function(thornvale_windows_resources target name description)
  set(THORNVALE_RC_NAME ${name})
  set(THORNVALE_RC_DESCRIPTION ${description})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/src/app/thornvale.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${THORNVALE_ICO})
  add_dependencies(${target} thornvale_ico)
endfunction()
