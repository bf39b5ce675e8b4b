#pragma once

#include <juce_core/juce_core.h>

#include <iosfwd>

namespace garvo::cli
{
// Exit statuses shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1; // the command could not do its work (for example a file could not be written)
inline constexpr int kExitUsage = 2;   // the command line itself is wrong

// Each command takes the arguments after its name and returns the process exit status.
// Errors go to stderr with a clear message.
using CommandFunction = int (*)(const juce::StringArray& args);

struct Command
{
    const char* name;
    const char* synopsis;
    CommandFunction run;
};
} // namespace garvo::cli
