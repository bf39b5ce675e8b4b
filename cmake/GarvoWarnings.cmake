# Warnings for the project's own code only; JUCE's sources are compiled without them.
add_library(garvo_warnings INTERFACE)
target_compile_options(garvo_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wconversion -Wsign-conversion
    -Wno-sign-conversion)
