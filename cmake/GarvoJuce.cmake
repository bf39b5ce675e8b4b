# The JUCE modules are compiled once into this static library; the plug-in formats, the CLI,
# the tests and the benchmarks all link it instead of recompiling the modules per target.
add_library(garvo_juce STATIC)
target_link_libraries(garvo_juce
    PRIVATE
        juce::juce_audio_utils
        juce::juce_audio_processors
        juce::juce_audio_formats
        juce::juce_audio_devices
        juce::juce_gui_extra
        PkgConfig::GARVO_SYSTEM_CODECS
    PUBLIC
        juce::juce_recommended_config_flags)
target_compile_definitions(garvo_juce
    PUBLIC
        JUCE_WEB_BROWSER=0
        JUCE_USE_CURL=0
        JUCE_ALSA=1
        JUCE_JACK=1
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_REPORT_APP_USAGE=0
        JUCE_USE_FLAC=1
        JUCE_USE_OGGVORBIS=1
        JUCE_MODAL_LOOPS_PERMITTED=1
        JUCE_STRICT_REFCOUNTEDPOINTER=1
    INTERFACE
        $<TARGET_PROPERTY:garvo_juce,COMPILE_DEFINITIONS>)
target_include_directories(garvo_juce
    INTERFACE
        $<TARGET_PROPERTY:garvo_juce,INCLUDE_DIRECTORIES>)
target_link_libraries(garvo_juce INTERFACE PkgConfig::GARVO_SYSTEM_CODECS)
set_target_properties(garvo_juce PROPERTIES
    POSITION_INDEPENDENT_CODE TRUE
    VISIBILITY_INLINES_HIDDEN TRUE
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden)
