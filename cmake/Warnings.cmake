# Applied to every target of ours through thornvale_warnings.
add_library(thornvale_warnings INTERFACE)
target_compile_options(thornvale_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
# GCC 12 at -O2 and above warns of overlapping memcpy inside libstdc++'s own string concatenation
# (GCC bug 105329); the warning is about the library, not our code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(thornvale_warnings INTERFACE -Wno-restrict)
endif()
# MinGW notes every dllimport of an inline function Qt declares; nothing of ours.
if(MINGW)
  target_compile_options(thornvale_warnings INTERFACE -Wno-attributes)
endif()
if(THORNVALE_WERROR)
  target_compile_options(thornvale_warnings INTERFACE -Werror)
endif()
target_compile_definitions(thornvale_warnings INTERFACE
  _GLIBCXX_ASSERTIONS
  QT_NO_CAST_TO_ASCII
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_KEYWORDS)
