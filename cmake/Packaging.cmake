# make package: a Debian package of the install tree, from the package preset's stripped Release
# build. dpkg-shlibdeps reads every ELF file in it, the privately installed music module with its
# QtWebEngine included; Depends adds what the program loads at run time without linking it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME thornvale)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Thornvale developers <maintainers@thornvale.example>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# thornvale_<version>_<arch>.deb: a native package, so no Debian revision.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "character search for the game Thornvale")
set(CPACK_PACKAGE_DESCRIPTION [[
Searches Thornvale's public character pages: type a character name and the
window reads ten result pages and lists the characters found, with a detail
panel (equipment, title, server, class), the character's page in the web
browser and a rank lookup. A service-status check at start-up, a tray mode and
a small music strip come with it.

thornvale-cli offers the same search, detail, rank lookup and status check
from a shell, with JSON output for scripts.]])
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Korean text needs a Hangul font; the dialogs' buttons come from Qt's Korean translation
# (qtbase_ko); the window needs Qt's platform plugins. No linked library names any of them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-nanum, qt6-translations-l10n, qt6-qpa-plugins")
# Without Qt's Wayland plugin a Wayland session runs the window through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
include(CPack)
