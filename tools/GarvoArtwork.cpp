// Draws the editor's three pictures and writes them as PNG files into the folder given on the
// command line: the "GARVO" wordmark and the knob filmstrip at two sizes.
//
// The knob's static parts (metal rim, glossy cap, shadow) are shaded per pixel with 4 x 4
// supersampling, because a brushed metal rim needs a lighting model that JUCE's two-colour
// gradients cannot express. The pointer and the wordmark are plain anti-aliased paths.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <juce_core/juce_core.h>
#include <juce_graphics/juce_graphics.h>
#include <numbers>

namespace
{
constexpr int kFrames = 128;
constexpr float kPi = std::numbers::pi_v<float>;

struct Rgba
{
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f; // premultiplied

    Rgba& operator+=(const Rgba& other)
    {
        r += other.r;
        g += other.g;
        b += other.b;
        a += other.a;
        return *this;
    }
};

Rgba opaque(float r, float g, float b)
{
    return {r, g, b, 1.0f};
}

float smoothstep(float edge0, float edge1, float x)
{
    const auto t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

float mix(float a, float b, float t)
{
    return a + (b - a) * t;
}

// Cheap deterministic value noise along one axis; the rim and the cap are machined in rings,
// so their grain only varies with the radius.
float ringNoise(float x)
{
    const auto hash = [](int n)
    {
        auto h = static_cast<unsigned>(n) * 374761393u + 668265263u;
        h = (h ^ (h >> 13)) * 1274126177u;
        return static_cast<float>((h ^ (h >> 16)) & 0xffffu) / 65535.0f;
    };
    const auto cell = static_cast<int>(std::floor(x));
    const auto t = x - static_cast<float>(cell);
    return mix(hash(cell), hash(cell + 1), t * t * (3.0f - 2.0f * t)) * 2.0f - 1.0f;
}

// Knob proportions, as fractions of the frame size.
constexpr float kRimOuter = 0.455f;
constexpr float kRimInner = 0.378f;

// Angle measured from straight up, clockwise, as the pointer angles are.
float clockAngle(float dx, float dy)
{
    return std::atan2(dx, -dy);
}

Rgba shadeRim(float radius, float angle, float size)
{
    const auto u = (radius - kRimInner) / (kRimOuter - kRimInner); // 0 inner edge, 1 outer edge
    const auto light = -kPi / 4.0f;                                // the studio light sits upper left

    // Conical sheen of turned metal: two broad highlights facing the light and away from it.
    auto v = 0.52f + 0.30f * std::cos(2.0f * (angle - light)) + 0.06f * std::cos(6.0f * angle + 0.7f);
    // Rounded profile: the outer slope catches the light on the lit side, the inner slope on the far side.
    const auto slope = (u - 0.5f) * 2.0f;
    v += 0.22f * slope * std::cos(angle - light);
    // Fine concentric tool marks.
    v += 0.045f * ringNoise(radius * size * 0.9f) + 0.02f * ringNoise(radius * size * 3.1f + 17.0f);
    // Dark edges where the rim meets the cap and the air.
    v *= 0.55f + 0.45f * smoothstep(0.0f, 0.16f, u);
    v *= 0.6f + 0.4f * (1.0f - smoothstep(0.9f, 1.0f, u));
    // A thin specular bead along the outer edge, brightest toward the light.
    const auto bead = std::exp(-std::pow((u - 0.86f) / 0.05f, 2.0f));
    v += 0.35f * bead * std::max(0.0f, std::cos(angle - light));
    v = std::clamp(v, 0.0f, 1.0f);

    // Cool silver: slightly blue in the shadows, neutral in the highlights.
    return opaque(mix(0.12f, 0.95f, v), mix(0.13f, 0.96f, v), mix(0.16f, 0.97f, v));
}

Rgba shadeCap(float radius, float dx, float dy, float size)
{
    const auto edge = radius / kRimInner; // 0 centre, 1 edge of the cap
    // Deep black with a hint of lift in the middle, as a polished dome reflects a dark room.
    auto v = mix(0.095f, 0.03f, smoothstep(0.0f, 1.0f, edge));
    // Faint machined rings on the face.
    v += 0.006f * ringNoise(radius * size * 1.3f + 5.0f);
    // Environment light along the lower right edge of the dome.
    const auto facing = std::max(0.0f, (dx + dy) / std::max(radius, 1e-4f) / std::numbers::sqrt2_v<float>);
    v += 0.10f * smoothstep(0.72f, 0.98f, edge) * facing * facing;
    // The cap sits slightly below the rim: a soft contact shadow at its edge.
    v *= 1.0f - 0.7f * smoothstep(0.9f, 1.0f, edge);
    return opaque(v, v * 1.02f, v * 1.08f);
}

// The static knob without pointer and reflection, shaded per pixel.
juce::Image renderKnobBody(int size)
{
    juce::Image image(juce::Image::ARGB, size, size, true);
    const juce::Image::BitmapData pixels(image, juce::Image::BitmapData::writeOnly);
    const auto s = static_cast<float>(size);
    constexpr int kSub = 4;

    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px)
        {
            Rgba sum;
            for (int sy = 0; sy < kSub; ++sy)
                for (int sx = 0; sx < kSub; ++sx)
                {
                    const auto x = (static_cast<float>(px) + (static_cast<float>(sx) + 0.5f) / kSub) / s - 0.5f;
                    const auto y = (static_cast<float>(py) + (static_cast<float>(sy) + 0.5f) / kSub) / s - 0.5f;
                    const auto radius = std::hypot(x, y);
                    if (radius <= kRimInner)
                        sum += shadeCap(radius, x, y, s);
                    else if (radius <= kRimOuter)
                        sum += shadeRim(radius, clockAngle(x, y), s);
                    else
                    {
                        // Soft drop shadow under the knob, a little lower than the knob itself.
                        const auto shadowRadius = std::hypot(x, y - 0.012f);
                        const auto alpha = 0.6f * (1.0f - smoothstep(kRimOuter - 0.01f, 0.5f, shadowRadius));
                        sum += {0.0f, 0.0f, 0.0f, alpha};
                    }
                }
            constexpr auto count = static_cast<float>(kSub * kSub);
            const auto toByte = [](float value)
            { return static_cast<juce::uint8>(std::clamp(std::lround(value * 255.0f), 0L, 255L)); };
            pixels.setPixelColour(px, py,
                                  juce::Colour::fromRGBA(toByte(sum.a > 0 ? sum.r / sum.a : 0.0f),
                                                         toByte(sum.a > 0 ? sum.g / sum.a : 0.0f),
                                                         toByte(sum.a > 0 ? sum.b / sum.a : 0.0f),
                                                         toByte(sum.a / count)));
        }
    return image;
}

// The gloss of the cap: a soft, tilted oval of light at the upper left. It lies above the
// pointer, as the reflection on a lacquered surface does.
juce::Image renderReflection(int size)
{
    juce::Image image(juce::Image::ARGB, size, size, true);
    const juce::Image::BitmapData pixels(image, juce::Image::BitmapData::writeOnly);
    const auto s = static_cast<float>(size);
    const auto cosT = std::cos(-kPi / 4.0f);
    const auto sinT = std::sin(-kPi / 4.0f);

    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px)
        {
            const auto x = (static_cast<float>(px) + 0.5f) / s - 0.5f;
            const auto y = (static_cast<float>(py) + 0.5f) / s - 0.5f;
            const auto radius = std::hypot(x, y);
            if (radius > kRimInner)
                continue;
            // Oval centred up and left of the middle, long axis along the rim.
            const auto ox = x + 0.115f;
            const auto oy = y + 0.125f;
            const auto along = ox * cosT - oy * sinT;
            const auto across = ox * sinT + oy * cosT;
            const auto d = std::hypot(along / 0.19f, across / 0.085f);
            auto alpha = 0.30f * std::exp(-d * d * 1.6f);
            // A broad, very faint sheen over the whole upper half of the dome.
            alpha += 0.05f * smoothstep(0.1f, -0.3f, y) * (1.0f - smoothstep(0.8f, 1.0f, radius / kRimInner));
            alpha *= 1.0f - smoothstep(0.93f, 1.0f, radius / kRimInner);
            pixels.setPixelColour(px, py, juce::Colours::white.withAlpha(std::clamp(alpha, 0.0f, 1.0f)));
        }
    return image;
}

void drawPointer(juce::Graphics& g, float size, float degrees)
{
    const auto centre = juce::Point<float>(size / 2.0f, size / 2.0f);
    const auto radians = juce::degreesToRadians(degrees);
    const auto direction = juce::Point<float>(std::sin(radians), -std::cos(radians));
    const auto at = [&](float fraction) { return centre + direction * (fraction * size); };

    juce::Path line;
    line.startNewSubPath(at(0.13f));
    line.lineTo(at(0.285f));
    const auto width = 0.032f * size;
    const auto dotCentre = at(0.335f);
    const auto dotRadius = 0.021f * size;

    // Engraved look: a dark shadow just below, a faint glow around, then the white paint.
    g.setColour(juce::Colours::black.withAlpha(0.7f));
    g.strokePath(line, juce::PathStrokeType(width * 1.25f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded),
                 juce::AffineTransform::translation(0.0f, 0.008f * size));
    g.fillEllipse(juce::Rectangle<float>(dotRadius * 2.5f, dotRadius * 2.5f)
                      .withCentre(dotCentre.translated(0.0f, 0.008f * size)));
    g.setColour(juce::Colours::white.withAlpha(0.12f));
    g.strokePath(line, juce::PathStrokeType(width * 2.2f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    g.fillEllipse(juce::Rectangle<float>(dotRadius * 3.6f, dotRadius * 3.6f).withCentre(dotCentre));
    g.setColour(juce::Colour(0xfff6f7f9));
    g.strokePath(line, juce::PathStrokeType(width, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    g.fillEllipse(juce::Rectangle<float>(dotRadius * 2.0f, dotRadius * 2.0f).withCentre(dotCentre));
}

juce::Image renderFilmstrip(int size)
{
    const auto body = renderKnobBody(size);
    const auto reflection = renderReflection(size);
    juce::Image strip(juce::Image::ARGB, size, size * kFrames, true);
    juce::Graphics g(strip);
    for (int frame = 0; frame < kFrames; ++frame)
    {
        const juce::Graphics::ScopedSaveState state(g);
        g.reduceClipRegion(0, frame * size, size, size);
        g.setOrigin(0, frame * size);
        g.drawImageAt(body, 0, 0);
        drawPointer(g, static_cast<float>(size),
                    -135.0f + static_cast<float>(frame) * 270.0f / static_cast<float>(kFrames - 1));
        g.drawImageAt(reflection, 0, 0);
    }
    return strip;
}

// One angular capital, drawn as the centre line of a heavy stroke inside a w x h box;
// the box clips the square stroke ends flush with the cap height and the baseline.
juce::Path letterCentreLine(char letter, float w, float h, float stroke, float chamfer)
{
    const auto i = stroke / 2.0f;
    const auto c = chamfer;
    juce::Path p;
    switch (letter)
    {
    case 'G':
        p.startNewSubPath(w + i, i);
        p.lineTo(i + c, i);
        p.lineTo(i, i + c);
        p.lineTo(i, h - i - c);
        p.lineTo(i + c, h - i);
        p.lineTo(w - i - c * 0.5f, h - i);
        p.lineTo(w - i, h - i - c * 0.5f);
        p.lineTo(w - i, h * 0.53f);
        p.lineTo(w * 0.5f, h * 0.53f);
        break;
    case 'A':
        p.startNewSubPath(i, h + i);
        p.lineTo(i, i + c);
        p.lineTo(i + c, i);
        p.lineTo(w - i - c, i);
        p.lineTo(w - i, i + c);
        p.lineTo(w - i, h + i);
        p.startNewSubPath(0.0f, h * 0.6f);
        p.lineTo(w, h * 0.6f);
        break;
    case 'R':
        p.startNewSubPath(i, h + i);
        p.lineTo(i, i);
        p.lineTo(w - i - c, i);
        p.lineTo(w - i, i + c);
        p.lineTo(w - i, h * 0.5f - c * 0.6f);
        p.lineTo(w - i - c * 0.6f, h * 0.53f);
        p.lineTo(i, h * 0.53f);
        // The leg starts inside the bowl's bar so that its square end stays hidden there.
        p.startNewSubPath(w * 0.3f, h * 0.53f);
        p.lineTo(w * 0.52f, h * 0.53f);
        p.lineTo(w - i, h * 0.53f + (w - i - w * 0.52f) * 0.75f);
        p.lineTo(w - i, h + i);
        break;
    case 'V':
        p.startNewSubPath(i, -i);
        p.lineTo(i, h * 0.5f);
        p.lineTo(w * 0.5f, h - i);
        p.lineTo(w - i, h * 0.5f);
        p.lineTo(w - i, -i);
        break;
    case 'O':
        p.startNewSubPath(i + c, i);
        p.lineTo(w - i - c, i);
        p.lineTo(w - i, i + c);
        p.lineTo(w - i, h - i - c);
        p.lineTo(w - i - c, h - i);
        p.lineTo(i + c, h - i);
        p.lineTo(i, h - i - c);
        p.lineTo(i, i + c);
        p.closeSubPath();
        break;
    default:
        break;
    }
    return p;
}

juce::Image renderWordmark()
{
    constexpr int kWidth = 1343;
    constexpr int kHeight = 248;
    constexpr float kCapHeight = 212.0f;
    constexpr float kLetterWidth = 226.0f;
    constexpr float kStroke = 44.0f;
    constexpr float kChamfer = 50.0f;
    constexpr float kShear = -0.14f; // a forward lean, as the name moves
    constexpr char kLetters[] = "GARVO";

    juce::Image image(juce::Image::ARGB, kWidth, kHeight, true);
    juce::Graphics g(image);
    g.setColour(juce::Colours::white);

    const auto top = (static_cast<float>(kHeight) - kCapHeight) / 2.0f;
    // Centre the slanted word: the shear moves the top of every letter to the right.
    const auto slantWidth = -kShear * kCapHeight;
    const auto gap = (static_cast<float>(kWidth) - 16.0f - slantWidth - 5.0f * kLetterWidth) / 4.0f;
    auto left = 8.0f;
    for (int index = 0; index < 5; ++index)
    {
        const auto centreLine = letterCentreLine(kLetters[index], kLetterWidth, kCapHeight, kStroke, kChamfer);
        juce::Path outline;
        juce::PathStrokeType(kStroke, juce::PathStrokeType::mitered, juce::PathStrokeType::square)
            .createStrokedPath(outline, centreLine);
        juce::Path box;
        box.addRectangle(0.0f, 0.0f, kLetterWidth, kCapHeight);
        // Place the letter and lean it about the baseline.
        const auto place = juce::AffineTransform::translation(0.0f, -kCapHeight)
                               .sheared(kShear, 0.0f)
                               .translated(left, top + kCapHeight);
        const juce::Graphics::ScopedSaveState state(g);
        g.reduceClipRegion(box, place);
        g.fillPath(outline, place);
        left += kLetterWidth + gap;
    }
    return image;
}

bool writePng(const juce::Image& image, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream stream(file);
    if (!stream.openedOk())
        return false;
    juce::PNGImageFormat png;
    return png.writeImageToStream(image, stream);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fputs("usage: garvo_artwork OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const juce::File folder(juce::File::getCurrentWorkingDirectory().getChildFile(argv[1]));
    if (!folder.createDirectory())
    {
        std::fprintf(stderr, "garvo_artwork: cannot create %s\n", folder.getFullPathName().toRawUTF8());
        return 1;
    }
    const std::array<std::pair<const char*, juce::Image>, 3> pictures{{
        {"garvologo.png", renderWordmark()},
        {"knob_large.png", renderFilmstrip(300)},
        {"knob_small.png", renderFilmstrip(180)},
    }};
    for (const auto& [name, image] : pictures)
        if (!writePng(image, folder.getChildFile(name)))
        {
            std::fprintf(stderr, "garvo_artwork: cannot write %s\n", name);
            return 1;
        }
    return 0;
}
