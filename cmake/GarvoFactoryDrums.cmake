# The drum library the app ships with is synthesised by the CLI at build time, into the place
# where the app, the CLI and the tests in the build folder find it by walking up from their
# executables. The stamp makes it regenerate only when the generator's sources change, not on
# every relink of the CLI.
set(GARVO_FACTORY_DRUMS_DIR "${CMAKE_BINARY_DIR}/Contents/Resources/GARVO RHYTHM DRUMS")
set(GARVO_FACTORY_DRUMS_STAMP "${CMAKE_BINARY_DIR}/factory-drums.stamp")

add_custom_command(
    OUTPUT ${GARVO_FACTORY_DRUMS_STAMP}
    # Starting from an empty folder keeps files of an older generator from becoming variations.
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${GARVO_FACTORY_DRUMS_DIR}
    COMMAND $<TARGET_FILE:garvo-rhythm> make-library --out ${GARVO_FACTORY_DRUMS_DIR}
    COMMAND ${CMAKE_COMMAND} -E touch ${GARVO_FACTORY_DRUMS_STAMP}
    DEPENDS
        ${CMAKE_SOURCE_DIR}/kit/FactoryLibrary.cpp
        ${CMAKE_SOURCE_DIR}/kit/FactoryLibrary.h
        ${CMAKE_SOURCE_DIR}/cli/MakeLibraryCommand.cpp
    COMMENT "Synthesising the factory drum library"
    VERBATIM)
add_custom_target(garvo_factory_drums ALL DEPENDS ${GARVO_FACTORY_DRUMS_STAMP})
add_dependencies(garvo_factory_drums garvo-rhythm)

# The kit tests check that the library is found from the build folder.
if(TARGET garvo_kit_tests)
    add_dependencies(garvo_kit_tests garvo_factory_drums)
endif()
