#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace garvo::test
{
// A strict reader for the single-track files the MIDI writer makes: it accepts exactly a
// format-0 header and one track without running status, and fails on anything else, so a
// test notices a malformed file instead of reading around it.
struct SmfNote
{
    int tick = 0;
    std::uint8_t status = 0;
    std::uint8_t note = 0;
    std::uint8_t velocity = 0;
    bool operator==(const SmfNote&) const = default;
};

struct SmfTrack
{
    int division = 0;
    std::string name;
    std::optional<std::uint32_t> microsecondsPerQuarter;
    std::vector<std::uint8_t> timeSignature;
    std::vector<SmfNote> notes;
    bool endOfTrack = false;
};

inline std::optional<SmfTrack> readSmf(const std::vector<unsigned char>& bytes)
{
    std::size_t pos = 0;
    auto has = [&](std::size_t count) { return pos + count <= bytes.size(); };
    auto u32 = [&]
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | bytes[pos++];
        return v;
    };
    auto u16 = [&]
    {
        const auto v = static_cast<std::uint32_t>((bytes[pos] << 8) | bytes[pos + 1]);
        pos += 2;
        return v;
    };
    auto tag = [&](const char* expected)
    {
        const bool same = has(4) && std::string(bytes.begin() + static_cast<long>(pos),
                                                bytes.begin() + static_cast<long>(pos) + 4) == expected;
        pos += 4;
        return same;
    };
    auto vlq = [&]() -> std::optional<std::uint32_t>
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 5; ++i)
        {
            if (!has(1))
                return std::nullopt;
            const auto b = bytes[pos++];
            v = (v << 7) | (b & 0x7Fu);
            if ((b & 0x80u) == 0)
                return v;
        }
        return std::nullopt;
    };

    SmfTrack track;
    if (!tag("MThd") || !has(10) || u32() != 6 || u16() != 0 || u16() != 1)
        return std::nullopt;
    track.division = static_cast<int>(u16());
    if (!tag("MTrk") || !has(4))
        return std::nullopt;
    const auto length = u32();
    if (pos + length != bytes.size())
        return std::nullopt;

    int tick = 0;
    while (pos < bytes.size())
    {
        const auto delta = vlq();
        if (!delta || !has(1) || track.endOfTrack)
            return std::nullopt;
        tick += static_cast<int>(*delta);
        const auto status = bytes[pos++];
        if (status == 0xFF)
        {
            if (!has(1))
                return std::nullopt;
            const auto type = bytes[pos++];
            const auto size = vlq();
            if (!size || !has(*size))
                return std::nullopt;
            const std::vector<std::uint8_t> data(bytes.begin() + static_cast<long>(pos),
                                                 bytes.begin() + static_cast<long>(pos + *size));
            pos += *size;
            if (type == 0x03)
                track.name.assign(data.begin(), data.end());
            else if (type == 0x51 && data.size() == 3)
                track.microsecondsPerQuarter = (std::uint32_t{data[0]} << 16) | (std::uint32_t{data[1]} << 8) | data[2];
            else if (type == 0x58)
                track.timeSignature = data;
            else if (type == 0x2F && data.empty())
                track.endOfTrack = true;
            else
                return std::nullopt;
        }
        else if ((status & 0x80u) != 0 && has(2))
        {
            track.notes.push_back({tick, status, bytes[pos], bytes[pos + 1]});
            pos += 2;
        }
        else
            return std::nullopt;
    }
    if (!track.endOfTrack)
        return std::nullopt;
    return track;
}
} // namespace garvo::test
