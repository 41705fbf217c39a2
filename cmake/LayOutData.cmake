# Lays data/ beside the program. The settings file and the romaji table belong
# to the player once they exist (high scores, edited romaji), so a rebuild
# never overwrites them; every other shipped file follows its source.
file(GLOB_RECURSE shipped RELATIVE ${SRC} ${SRC}/*)
foreach(name IN LISTS shipped)
    set(target ${DEST}/${name})
    if(name STREQUAL "settei.dat")
        # A new player hears music at once: the first play-music slot names
        # the game's own tune by its full path, as the options screen would.
        if(NOT EXISTS ${target})
            file(STRINGS ${SRC}/${name} lines)
            list(TRANSFORM lines STRIP)
            list(REMOVE_AT lines 2)
            list(INSERT lines 2 "${DEST}/music/keystorm.mid")
            list(JOIN lines "\r\n" settings)
            file(WRITE ${target} "${settings}\r\n")
        endif()
    elseif(name STREQUAL "roumazi.dat")
        if(NOT EXISTS ${target})
            file(COPY_FILE ${SRC}/${name} ${target})
        endif()
    else()
        get_filename_component(dir ${target} DIRECTORY)
        file(MAKE_DIRECTORY ${dir})
        file(COPY_FILE ${SRC}/${name} ${target} ONLY_IF_DIFFERENT)
    endif()
endforeach()
