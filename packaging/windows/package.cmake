# The Windows installer and portable zip from a built windows tree, run by the windows-package
# target (cmake/WindowsPackage.cmake) as
#   cmake -DBUILD_DIR=... -DVERSION=... -DICON=... -DLICENSE=... -DNSI=... -DMAKENSIS=... -P package.cmake
# It installs the build afresh into BUILD_DIR/stage, writes the installer's file lists from what is
# there, and makes from the same folder
#   BUILD_DIR/thornvale-VERSION-setup.exe
#   BUILD_DIR/thornvale-VERSION-windows-x86_64.zip   (the files inside a thornvale-VERSION folder)
cmake_minimum_required(VERSION 3.25)
foreach(var BUILD_DIR VERSION ICON LICENSE NSI MAKENSIS)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "package.cmake needs -D${var}=...")
  endif()
endforeach()
if(NOT EXISTS "${MAKENSIS}")
  message(FATAL_ERROR "makensis not found: apt-get install nsis")
endif()

set(stage ${BUILD_DIR}/stage)
set(nsis_dir ${BUILD_DIR}/nsis)
set(setup ${BUILD_DIR}/thornvale-${VERSION}-setup.exe)
set(zip ${BUILD_DIR}/thornvale-${VERSION}-windows-x86_64.zip)
set(top thornvale-${VERSION})

# A fresh stage: a file dropped from the install rules must not linger in the installer.
file(REMOVE_RECURSE ${stage} ${nsis_dir})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${stage}
  OUTPUT_QUIET RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install ${BUILD_DIR} failed")
endif()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${stage} ${stage}/*)
list(SORT files)
if(NOT "thornvale.exe" IN_LIST files OR NOT "thornvale-cli.exe" IN_LIST files)
  message(FATAL_ERROR "${stage} has no thornvale.exe or thornvale-cli.exe")
endif()
if("uninst.exe" IN_LIST files)
  message(FATAL_ERROR "the installed files include uninst.exe, the uninstaller's own name")
endif()

# NSIS strings take $ as the start of a variable: a literal one is $$.
function(nsis_path out rel)
  string(REPLACE "$" "$$" rel "${rel}")
  string(REPLACE "/" "\\" rel "${rel}")
  set(${out} "${rel}" PARENT_SCOPE)
endfunction()

set(install_list "")
set(uninstall_list "")
set(dirs "")
set(outdir "-")
set(size 0)
foreach(rel IN LISTS files)
  get_filename_component(dir "${rel}" DIRECTORY)
  if(NOT dir STREQUAL outdir)
    set(outdir "${dir}")
    if(dir STREQUAL "")
      string(APPEND install_list "SetOutPath \"$INSTDIR\"\n")
    else()
      nsis_path(ndir "${dir}")
      string(APPEND install_list "SetOutPath \"$INSTDIR\\${ndir}\"\n")
      # Every folder up to the top, so a folder holding only folders is removed too.
      while(NOT dir STREQUAL "")
        list(APPEND dirs "${dir}")
        get_filename_component(dir "${dir}" DIRECTORY)
      endwhile()
    endif()
  endif()
  string(REPLACE "$" "$$" abs "${stage}/${rel}")
  string(APPEND install_list "File \"${abs}\"\n")
  nsis_path(nrel "${rel}")
  string(APPEND uninstall_list "Delete \"$INSTDIR\\${nrel}\"\n")
  file(SIZE "${stage}/${rel}" bytes)
  math(EXPR size "${size} + ${bytes}")
endforeach()
# A child sorts after its parent, so the reverse order empties each folder before its parent.
list(REMOVE_DUPLICATES dirs)
list(SORT dirs)
list(REVERSE dirs)
foreach(dir IN LISTS dirs)
  nsis_path(ndir "${dir}")
  string(APPEND uninstall_list "RMDir \"$INSTDIR\\${ndir}\"\n")
endforeach()
file(WRITE ${nsis_dir}/install.nsh "${install_list}")
file(WRITE ${nsis_dir}/uninstall.nsh "${uninstall_list}")
math(EXPR size_kb "(${size} + 1023) / 1024")

string(REGEX MATCH "^[0-9]+(\\.[0-9]+)?(\\.[0-9]+)?(\\.[0-9]+)?" version4 "${VERSION}")
string(REPLACE "." ";" parts "${version4}")
list(LENGTH parts n)
while(n LESS 4)
  string(APPEND version4 ".0")
  math(EXPR n "${n} + 1")
endwhile()

file(REMOVE ${setup} ${zip})
execute_process(COMMAND ${MAKENSIS} -V2 -INPUTCHARSET UTF8
    -DVERSION=${VERSION} -DVERSION4=${version4} -DOUTFILE=${setup} -DICON=${ICON}
    -DLICENSE=${LICENSE} -DINSTALL_LIST=${nsis_dir}/install.nsh
    -DUNINSTALL_LIST=${nsis_dir}/uninstall.nsh -DSIZE_KB=${size_kb} ${NSI}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS ${setup})
  message(FATAL_ERROR "makensis ${NSI} failed")
endif()

# The zip's files sit in a folder named for the version, so unpacking it makes one folder.
set(zip_dir ${BUILD_DIR}/zip)
file(REMOVE_RECURSE ${zip_dir})
file(COPY ${stage}/ DESTINATION ${zip_dir}/${top})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${top}
  WORKING_DIRECTORY ${zip_dir} RESULT_VARIABLE rc)
file(REMOVE_RECURSE ${zip_dir})
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "making ${zip} failed")
endif()

list(LENGTH files count)
message(STATUS "${count} files, ${size_kb} KiB installed")
message(STATUS "${setup}")
message(STATUS "${zip}")
