# Applied to every target of ours through thornvale_warnings.
add_library(thornvale_warnings INTERFACE)
target_compile_options(thornvale_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
if(THORNVALE_WERROR)
  target_compile_options(thornvale_warnings INTERFACE -Werror)
endif()
target_compile_definitions(thornvale_warnings INTERFACE
  _GLIBCXX_ASSERTIONS
  QT_NO_CAST_TO_ASCII
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_KEYWORDS)
