# The JUCE modules with VST3 hosting switched on, for the test host that loads the built plug-in.
# Hosting must stay out of garvo_juce: a plug-in carrying JUCE's hosting code would be bigger and
# would bring a second VST3 SDK into every host that loads it.
#
# Only juce_audio_processors.cpp depends on the switch, so this library compiles that one source
# anew, with garvo_juce's include paths and definitions plus the switch, and reuses garvo_juce's
# objects for every other module source instead of compiling the modules a second time.
get_target_property(GARVO_JUCE_PROCESSORS_SOURCES juce::juce_audio_processors INTERFACE_SOURCES)
list(FILTER GARVO_JUCE_PROCESSORS_SOURCES INCLUDE REGEX "/juce_audio_processors\\.cpp$")
if(NOT GARVO_JUCE_PROCESSORS_SOURCES)
    message(FATAL_ERROR "juce_audio_processors.cpp not found among the module's sources")
endif()

add_library(garvo_juce_host STATIC
    ${GARVO_JUCE_PROCESSORS_SOURCES}
    $<FILTER:$<TARGET_OBJECTS:garvo_juce>,EXCLUDE,/juce_audio_processors\\.cpp\\.o$>)
target_compile_definitions(garvo_juce_host
    PUBLIC
        $<TARGET_PROPERTY:garvo_juce,INTERFACE_COMPILE_DEFINITIONS>
        JUCE_PLUGINHOST_VST3=1)
target_include_directories(garvo_juce_host
    PUBLIC
        $<TARGET_PROPERTY:garvo_juce,INTERFACE_INCLUDE_DIRECTORIES>)
target_compile_options(garvo_juce_host
    PUBLIC
        $<TARGET_PROPERTY:garvo_juce,INTERFACE_COMPILE_OPTIONS>)
# The system libraries the modules link, gathered through the module graph: linking the module
# targets themselves would add their sources to this library again.
function(garvo_collect_system_libraries target out)
    set(collected ${${out}})
    get_target_property(linked ${target} INTERFACE_LINK_LIBRARIES)
    foreach(item IN LISTS linked)
        if(NOT item OR item IN_LIST collected)
            continue()
        endif()
        if(item MATCHES "^juce::juce_[a-z_]+$" OR item MATCHES "^juce_[a-z_]+$")
            list(APPEND collected ${item})
            garvo_collect_system_libraries(${item} collected)
        else()
            list(APPEND collected ${item})
        endif()
    endforeach()
    set(${out} ${collected} PARENT_SCOPE)
endfunction()

get_target_property(GARVO_JUCE_LINKED garvo_juce LINK_LIBRARIES)
set(GARVO_JUCE_HOST_LIBRARIES)
foreach(linked IN LISTS GARVO_JUCE_LINKED)
    if(linked MATCHES "^juce::juce_[a-z_]+$" AND NOT linked STREQUAL "juce::juce_recommended_config_flags")
        garvo_collect_system_libraries(${linked} GARVO_JUCE_HOST_LIBRARIES)
    else()
        list(APPEND GARVO_JUCE_HOST_LIBRARIES ${linked})
    endif()
endforeach()
list(FILTER GARVO_JUCE_HOST_LIBRARIES EXCLUDE REGEX "^(juce::)?juce_[a-z_]+$")
target_link_libraries(garvo_juce_host PUBLIC ${GARVO_JUCE_HOST_LIBRARIES} juce::juce_recommended_config_flags)
message(STATUS "garvo_juce_host links ${GARVO_JUCE_HOST_LIBRARIES}")
add_dependencies(garvo_juce_host garvo_juce)
set_target_properties(garvo_juce_host PROPERTIES
    POSITION_INDEPENDENT_CODE TRUE
    VISIBILITY_INLINES_HIDDEN TRUE
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden)
