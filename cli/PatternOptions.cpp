#include "cli/PatternOptions.h"

#include "rhythm/GenreDNA.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ostream>
#include <string>
#include <system_error>

namespace garvo::cli
{
// The whole text must be the number: "1.5x", " 2" or "" are malformed, not truncated.
std::optional<double> parseReal(const std::string& text)
{
    double value = 0.0;
    const auto* const end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || last != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> parseInteger(const std::string& text)
{
    int value = 0;
    const auto* const end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || last != end)
        return std::nullopt;
    return value;
}

namespace
{
class Parser
{
public:
    Parser(const char* commandName, std::ostream& errorStream) : command(commandName), errors(errorStream) {}

    std::optional<ParsedPatternOptions> parse(const juce::StringArray& args)
    {
        ParsedPatternOptions parsed;
        bool genreGiven = false;
        for (int index = 0; index < args.size(); ++index)
        {
            const auto& option = args[index];
            if (!isPatternOption(option))
            {
                parsed.remaining.add(option);
                continue;
            }
            if (index + 1 >= args.size())
                return fail(option.toStdString() + " needs a value");
            const auto value = args[++index].toStdString();
            auto& settings = parsed.options.settings;

            bool ok = true;
            if (option == "--genre")
            {
                genreGiven = true;
                ok = readGenre(value, settings.genreIndex);
            }
            else if (option == "--morph")
                ok = readMorph(value, parsed.options.morph);
            else if (option == "--seed")
                ok = readInteger(option, value, 1, 999999, settings.seed);
            else if (option == "--bars")
                ok = readInteger(option, value, 1, 8, settings.bars);
            else if (option == "--density")
                ok = readReal(option, value, 0, 1, settings.density);
            else if (option == "--swing")
                ok = readReal(option, value, 50, 65, settings.swing);
            else
                ok = readReal(option, value, 0, 1, settings.looseness);
            if (!ok)
                return std::nullopt;
        }
        if (genreGiven && parsed.options.morph.active)
            return fail("--genre and --morph cannot be used together");
        return parsed;
    }

private:
    static bool isPatternOption(const juce::String& option)
    {
        return option == "--genre" || option == "--morph" || option == "--seed" || option == "--density" ||
               option == "--swing" || option == "--looseness" || option == "--bars";
    }

    std::nullopt_t fail(const std::string& message)
    {
        errors << "garvo-rhythm " << command << ": " << message << "\n";
        return std::nullopt;
    }

    bool readGenre(const std::string& value, int& genreIndex)
    {
        const auto names = genreNames();
        const auto found = std::find(names.begin(), names.end(), value);
        if (found != names.end())
        {
            genreIndex = static_cast<int>(found - names.begin());
            return true;
        }
        fail("unknown genre '" + value + "'; the genres are:");
        for (const auto& name : names)
            errors << "  " << name << "\n";
        return false;
    }

    bool readMorph(const std::string& value, MorphState& morph)
    {
        const auto comma = value.find(',');
        const auto x = comma == std::string::npos ? std::nullopt : parseReal(value.substr(0, comma));
        const auto y = comma == std::string::npos ? std::nullopt : parseReal(value.substr(comma + 1));
        if (!x || !y)
        {
            fail("--morph needs two numbers X,Y (got '" + value + "')");
            return false;
        }
        // The pad clamps its position the same way.
        morph.active = true;
        morph.x = std::clamp(static_cast<float>(*x), 0.0f, 1.0f);
        morph.y = std::clamp(static_cast<float>(*y), 0.0f, 1.0f);
        return true;
    }

    bool readInteger(const juce::String& option, const std::string& value, int low, int high, int& target)
    {
        const auto parsed = parseInteger(value);
        if (!parsed || *parsed < low || *parsed > high)
        {
            fail(option.toStdString() + " must be a whole number from " + std::to_string(low) + " to " +
                 std::to_string(high) + " (got '" + value + "')");
            return false;
        }
        target = *parsed;
        return true;
    }

    // The range is checked on the value as given; only then is it narrowed to the parameter's float.
    bool readReal(const juce::String& option, const std::string& value, int low, int high, float& target)
    {
        const auto parsed = parseReal(value);
        if (!parsed || *parsed < low || *parsed > high)
        {
            fail(option.toStdString() + " must be a number from " + std::to_string(low) + " to " +
                 std::to_string(high) + " (got '" + value + "')");
            return false;
        }
        target = static_cast<float>(*parsed);
        return true;
    }

    const char* command;
    std::ostream& errors;
};
} // namespace

const char* patternOptionsHelp() noexcept
{
    return "  --genre NAME      genre, one of the names of 'garvo-rhythm genres' (default \"Amapiano\")\n"
           "  --morph X,Y       blend the four corner genres at that pad position (0 to 1 each, clamped)\n"
           "  --seed N          1 to 999999 (default 1)\n"
           "  --density D       0 to 1 (default 0.6)\n"
           "  --swing S         50 to 65 percent (default 54)\n"
           "  --looseness L     0 to 1 (default 0.4)\n"
           "  --bars B          1 to 8 (default 2)\n";
}

std::optional<ParsedPatternOptions> parsePatternOptions(const juce::StringArray& args, const char* commandName,
                                                        std::ostream& errors)
{
    return Parser(commandName, errors).parse(args);
}
} // namespace garvo::cli
