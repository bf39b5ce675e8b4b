#include "cli/PatternJson.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace garvo::cli
{
namespace
{
void appendString(std::string& out, const std::string& text)
{
    out += '"';
    for (const char character : text)
    {
        if (character == '"' || character == '\\')
        {
            out += '\\';
            out += character;
        }
        else if (static_cast<unsigned char>(character) < 0x20)
        {
            std::array<char, 8> escaped{};
            std::snprintf(escaped.data(), escaped.size(), "\\u%04x", static_cast<unsigned>(character));
            out += escaped.data();
        }
        else
            out += character;
    }
    out += '"';
}

void appendKey(std::string& out, const char* key)
{
    out += '"';
    out += key;
    out += "\":";
}
} // namespace

std::string formatDouble(double value)
{
    std::array<char, 32> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    std::string text(buffer.data(), error == std::errc{} ? end : buffer.data());
    if (text.find_first_of(".en") == std::string::npos)
        text += ".0";
    return text;
}

std::string patternJson(const Pattern& pattern)
{
    std::string out;
    out.reserve(128 + pattern.hits.size() * 32 * 96);
    out += '{';
    appendKey(out, "genre");
    appendString(out, pattern.genre);
    out += ',';
    appendKey(out, "tempo");
    out += formatDouble(pattern.tempo);
    out += ',';
    appendKey(out, "bars");
    out += std::to_string(pattern.bars);
    out += ',';
    appendKey(out, "seed");
    out += std::to_string(pattern.seed);
    out += ',';
    appendKey(out, "lanes");
    out += '[';
    bool firstLane = true;
    for (const auto& [element, hits] : pattern.hits)
    {
        if (!firstLane)
            out += ',';
        firstLane = false;
        out += '{';
        appendKey(out, "element");
        appendString(out, elementName(element));
        out += ',';
        appendKey(out, "hits");
        out += '[';
        for (std::size_t index = 0; index < hits.size(); ++index)
        {
            const Hit& hit = hits[index];
            if (index > 0)
                out += ',';
            out += '{';
            appendKey(out, "bar");
            out += std::to_string(hit.bar);
            out += ',';
            appendKey(out, "step");
            out += std::to_string(hit.step);
            out += ',';
            appendKey(out, "velocity");
            out += std::to_string(hit.velocity);
            out += ',';
            appendKey(out, "offsetMs");
            out += formatDouble(hit.offsetMs);
            out += ',';
            appendKey(out, "note");
            out += std::to_string(hit.note);
            out += ',';
            appendKey(out, "choked");
            out += hit.choked ? "true" : "false";
            out += ',';
            appendKey(out, "flamIndex");
            out += std::to_string(hit.flamIndex);
            out += '}';
        }
        out += "]}";
    }
    out += "]}";
    return out;
}
} // namespace garvo::cli
