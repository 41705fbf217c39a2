# cmake --install and the Debian package. Installed, the game lives in
# lib/keystorm with every shipped file beside it, as it does in build/app:
# the program finds its files from its own folder. bin/keystorm points there.
# A player's own files go to their data folder, since the install is theirs
# to read only (see core/appdir.h).
set(KS_INSTALL_DIR lib/keystorm)

install(TARGETS keystorm ksdtool RUNTIME DESTINATION ${KS_INSTALL_DIR})
# The data files from their sources, not from build/app, where a developer's
# play has changed the scores.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${KS_INSTALL_DIR})
# What the build makes: the sounds, the tunes and the practice targets.
install(FILES ${KS_APP_DIR}/moko.wav DESTINATION ${KS_INSTALL_DIR})
install(DIRECTORY ${KS_APP_DIR}/music DESTINATION ${KS_INSTALL_DIR})
install(DIRECTORY ${KS_APP_DIR}/practice/standard ${KS_APP_DIR}/practice/fruit
        DESTINATION ${KS_INSTALL_DIR}/practice)

# The marker that tells the game (and ksdtool) it is installed: the player's
# files then go to their data folder, never into the install, whoever runs it.
# build/app has none.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
file(WRITE ${CMAKE_BINARY_DIR}/install-links/keystorm.installed
     "This copy of keystorm is installed: the player's files live in $XDG_DATA_HOME/keystorm.\n")
install(FILES ${CMAKE_BINARY_DIR}/install-links/keystorm.installed DESTINATION ${KS_INSTALL_DIR})

# The commands on the PATH: the game, and the problem-file tool under a name
# that says whose it is.
file(CREATE_LINK ../${KS_INSTALL_DIR}/keystorm ${CMAKE_BINARY_DIR}/install-links/keystorm SYMBOLIC)
file(CREATE_LINK ../${KS_INSTALL_DIR}/ksdtool ${CMAKE_BINARY_DIR}/install-links/keystorm-ksdtool
     SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/install-links/keystorm
              ${CMAKE_BINARY_DIR}/install-links/keystorm-ksdtool DESTINATION bin)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION share/doc/keystorm)

configure_file(${CMAKE_SOURCE_DIR}/assets/keystorm-installed.desktop.in
               ${CMAKE_BINARY_DIR}/install-links/keystorm.desktop @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install-links/keystorm.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/assets/pictures/icon.svg
        DESTINATION share/icons/hicolor/scalable/apps RENAME keystorm.svg)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME keystorm)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "キーストーム developers <keystorm@invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "typing practice game: type Japanese in romaji to fire")
set(CPACK_PACKAGE_DESCRIPTION
    "キーストーム is a desktop typing-practice game for Japanese-speaking players. Every correct key fires a shot at a target on screen, a wrong key is a miss, and an instructor comments on how you are doing: a speed tester with high scores, practice files against the clock, and a story mode of four missions.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The package carries no debug information: the programs are stripped.
set(CPACK_STRIP_FILES ON)
# Not found by the library scan: the screens' font, the music's soundfont,
# SDL_mixer, which the game opens at its first sound, SQLite, opened with
# the records, Qt's Japanese texts for its file dialog, and the dictionary
# ksdtool's readings come from (libmecab itself is found).
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libsdl2-mixer-2.0-0, libsqlite3-0, fonts-ipafont-gothic, timgm6mb-soundfont, qt6-translations-l10n, mecab-ipadic-utf8")
include(CPack)
