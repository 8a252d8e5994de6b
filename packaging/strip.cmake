# Run by cpack on the staged files before it packs them: strips the programs as Debian's dh_strip does, taking out
# the compiler's notes (.comment, .note) with the symbols, which cpack's own stripping leaves in.
set(bin "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/bin")
file(GLOB programs "${bin}/*")
if(NOT programs)
    message(FATAL_ERROR "no programs to strip in ${bin}")
endif()
foreach(program IN LISTS programs)
    execute_process(COMMAND ${CPACK_QUILLMARCH_STRIP} --remove-section=.comment --remove-section=.note ${program}
        COMMAND_ERROR_IS_FATAL ANY)
endforeach()
