#pragma once

#include "rhythm/Pipeline.h"

#include <iosfwd>
#include <juce_core/juce_core.h>
#include <optional>
#include <string>

namespace garvo::cli
{
// The pattern a command works on, described exactly as the processor's generation values are,
// so a command builds it with garvo::buildPattern and gets what the plug-in would publish.
struct PatternOptions
{
    GenerationSettings settings; // defaults: "Amapiano", seed 1, density 0.6, swing 54, looseness 0.4, 2 bars
    MorphState morph;            // active only with --morph
};

struct ParsedPatternOptions
{
    PatternOptions options;
    // Every argument the parser does not know, in the original order, for the command to read.
    juce::StringArray remaining;
};

// Strict number parsing for option values: the whole text must be the number, so "1.5x", " 2"
// or "" are malformed rather than truncated.
std::optional<double> parseReal(const std::string& text);
std::optional<int> parseInteger(const std::string& text);

// The option lines for a command's --help text, one option per line, indented by two spaces.
const char* patternOptionsHelp() noexcept;

// Reads the pattern options (--genre NAME | --morph X,Y, --seed, --density, --swing, --looseness,
// --bars) out of a command's arguments. A wrong value is a usage error: it prints
// "garvo-rhythm <command>: <what is wrong>" to `errors` and returns nothing, and the command then
// exits with kExitUsage.
std::optional<ParsedPatternOptions> parsePatternOptions(const juce::StringArray& args, const char* commandName,
                                                        std::ostream& errors);
} // namespace garvo::cli
