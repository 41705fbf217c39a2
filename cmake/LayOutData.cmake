# Lays data/ beside the program. The settings file and the romaji table belong
# to the player once they exist (high scores, edited romaji), so a rebuild
# never overwrites them; every other shipped file follows its source.
file(GLOB_RECURSE shipped RELATIVE ${SRC} ${SRC}/*)
foreach(name IN LISTS shipped)
    set(target ${DEST}/${name})
    if(name STREQUAL "settei.dat" OR name STREQUAL "roumazi.dat")
        if(NOT EXISTS ${target})
            file(COPY_FILE ${SRC}/${name} ${target})
        endif()
    else()
        get_filename_component(dir ${target} DIRECTORY)
        file(MAKE_DIRECTORY ${dir})
        file(COPY_FILE ${SRC}/${name} ${target} ONLY_IF_DIFFERENT)
    endif()
endforeach()
