#include "kit/FactoryLibrary.h"

#include "kit/DrumLibrary.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <thread>

namespace garvo::factory
{
namespace
{
constexpr double kRate = kSampleRate;
constexpr double kTwoPi = 6.283185307179586;
// Tails are generated until they are this far below the start, then faded to exact silence.
constexpr double kTailTimeConstants = 8.5;
constexpr double kTrimLevel = 3.1622776601683794e-4; // -70 dB relative to the peak
constexpr int kFadeInSamples = 13;                   // 0.3 ms: no step at the first sample
constexpr double kMaxFadeOutSeconds = 0.05;

// White noise from a 32-bit xorshift: the library must not depend on a library engine whose
// sequence could change between standard libraries.
class Noise
{
public:
    explicit Noise(std::uint32_t seed) noexcept : state(seed != 0 ? seed : 0x9E3779B9u) {}

    double next() noexcept
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state >> 8) * (2.0 / 16777216.0) - 1.0;
    }

private:
    std::uint32_t state;
};

// Second-order filter from the audio-EQ cookbook, transposed direct form II.
class Biquad
{
public:
    enum class Kind
    {
        lowPass,
        highPass,
        bandPass
    };

    Biquad(Kind kind, double hz, double q) noexcept
    {
        const auto w0 = kTwoPi * std::clamp(hz, 10.0, 0.45 * kRate) / kRate;
        const auto cosW0 = std::cos(w0);
        const auto alpha = std::sin(w0) / (2.0 * q);
        const auto a0 = 1.0 + alpha;
        switch (kind)
        {
        case Kind::lowPass:
            b0 = (1.0 - cosW0) / 2.0;
            b1 = 1.0 - cosW0;
            b2 = b0;
            break;
        case Kind::highPass:
            b0 = (1.0 + cosW0) / 2.0;
            b1 = -(1.0 + cosW0);
            b2 = b0;
            break;
        case Kind::bandPass:
            b0 = alpha;
            b1 = 0.0;
            b2 = -alpha;
            break;
        }
        b0 /= a0;
        b1 /= a0;
        b2 /= a0;
        a1 = -2.0 * cosW0 / a0;
        a2 = (1.0 - alpha) / a0;
    }

    double process(double x) noexcept
    {
        const auto y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }

private:
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    double z1 = 0.0, z2 = 0.0;
};

// An exponential decay computed by repeated multiplication, which is much cheaper than exp()
// per sample.
class Decay
{
public:
    explicit Decay(double timeConstantSeconds) noexcept
        : factor(std::exp(-1.0 / (std::max(timeConstantSeconds, 1.0e-4) * kRate)))
    {
    }

    double next() noexcept
    {
        const auto current = level;
        level *= factor;
        return current;
    }

private:
    double level = 1.0;
    double factor;
};

class Sine
{
public:
    double next(double hz) noexcept
    {
        const auto value = std::sin(phase);
        phase += kTwoPi * hz / kRate;
        if (phase > kTwoPi)
            phase -= kTwoPi;
        return value;
    }

private:
    double phase = 0.0;
};

double softClip(double x, double drive) noexcept
{
    return drive > 1.0 ? std::tanh(drive * x) / std::tanh(drive) : x;
}

std::size_t samplesFor(double seconds) noexcept
{
    return static_cast<std::size_t>(std::ceil(std::max(seconds, 0.01) * kRate));
}

double secondsAt(std::size_t index) noexcept
{
    return static_cast<double>(index) / kRate;
}

// How one variation departs from the kit's basic sound: a pitch shift, a longer or shorter
// decay and a darker or brighter tone, in different combinations so no two variations sound
// like level changes of each other.
struct VariationShape
{
    double semitones;
    double decay;
    double tone; // -1 dark .. +1 bright
};

constexpr std::array<VariationShape, kVariationsPerFolder> kVariationShapes{{
    {0.0, 1.0, 0.0},
    {-2.0, 1.35, -1.0},
    {2.0, 0.8, 1.0},
    {-1.0, 0.6, 1.0},
    {1.0, 1.6, -1.0},
}};

double pitchFactor(const VariationShape& shape) noexcept
{
    return std::exp2(shape.semitones / 12.0);
}

struct KickShape
{
    double startHz;      // the pitch the body drops from
    double endHz;        // the pitch it settles on
    double sweepSeconds; // time constant of the pitch drop
    double holdSeconds;  // full level before the decay starts (808 style)
    double decaySeconds; // time constant of the body's decay
    double click;        // level of the noise click on the attack
    double drive;        // soft saturation; 1 = clean
};

struct SnareShape
{
    double toneHz;
    double toneSeconds;
    double noiseHz; // centre of the band-passed noise
    double noiseQ;
    double noiseSeconds;
    double noiseLevel; // 0 = all tone, 1 = all noise
    double drive;
};

struct ClapShape
{
    double centreHz;
    double q;
    int bursts;
    double spacingSeconds;
    double tailSeconds;
};

struct HatShape
{
    double metalScale; // scales the six square-wave pitches
    double highPassHz;
    double noiseMix; // 0 = square-wave cluster only, 1 = noise only
    double closedSeconds;
    double openSeconds;
};

struct PercShape
{
    double decay;      // scales the decay of every percussion model
    double brightness; // level of the upper partials, 0 .. 1
};

struct KitVoicing
{
    KickShape kick;
    SnareShape snare;
    ClapShape clap;
    HatShape hat;
    PercShape perc;
};

// One row per kit, in the order of kKitNames.
// clang-format off
constexpr std::array<KitVoicing, 12> kVoicings{{
    // House: four-on-the-floor 909 flavour, bright hats.
    {{170.0, 52.0, 0.030, 0.00, 0.110, 0.20, 1.4}, {190.0, 0.045, 3800.0, 0.8, 0.090, 0.65, 1.2},
     {1200.0, 1.6, 4, 0.010, 0.090}, {1.00, 7500.0, 0.35, 0.020, 0.160}, {1.0, 0.6}},
    // Amapiano: round, deep kick; soft, woody percussion.
    {{120.0, 47.0, 0.045, 0.02, 0.150, 0.05, 1.2}, {210.0, 0.060, 3000.0, 0.9, 0.070, 0.50, 1.0},
     {1000.0, 1.4, 3, 0.012, 0.120}, {0.92, 7000.0, 0.45, 0.018, 0.130}, {1.3, 0.4}},
    // UK Garage: tight kick, crisp snare, shuffling hats.
    {{160.0, 55.0, 0.025, 0.00, 0.085, 0.18, 1.3}, {220.0, 0.040, 4200.0, 1.0, 0.075, 0.70, 1.1},
     {1400.0, 1.8, 4, 0.009, 0.080}, {1.08, 8000.0, 0.30, 0.016, 0.120}, {0.9, 0.7}},
    // Bassline: punchy kick with a little weight, hard snare.
    {{180.0, 50.0, 0.030, 0.01, 0.120, 0.22, 1.6}, {200.0, 0.050, 3500.0, 0.9, 0.100, 0.60, 1.5},
     {1150.0, 1.5, 4, 0.011, 0.100}, {1.04, 7800.0, 0.35, 0.018, 0.150}, {1.0, 0.6}},
    // Baile Funk: boomy kick, sharp clap, raw hats.
    {{140.0, 48.0, 0.050, 0.05, 0.160, 0.15, 1.8}, {230.0, 0.040, 2800.0, 1.1, 0.080, 0.55, 1.8},
     {1300.0, 1.3, 3, 0.008, 0.110}, {0.96, 6800.0, 0.55, 0.022, 0.180}, {0.8, 0.8}},
    // Reggaeton: long, low 808 kick; short, tight snare.
    {{110.0, 45.0, 0.060, 0.15, 0.280, 0.06, 1.3}, {240.0, 0.035, 4000.0, 1.2, 0.055, 0.60, 1.3},
     {1250.0, 1.7, 3, 0.010, 0.070}, {1.02, 7600.0, 0.30, 0.015, 0.140}, {0.9, 0.6}},
    // Pop: long 808 kick with a polished top end.
    {{105.0, 46.0, 0.070, 0.18, 0.300, 0.08, 1.2}, {200.0, 0.050, 4500.0, 0.9, 0.110, 0.65, 1.0},
     {1100.0, 1.5, 4, 0.011, 0.130}, {1.10, 8200.0, 0.25, 0.020, 0.200}, {1.1, 0.5}},
    // DnB: tight, punchy kick with a hard click; snappy, bright snare.
    {{260.0, 58.0, 0.018, 0.00, 0.055, 0.35, 2.4}, {210.0, 0.040, 5000.0, 0.9, 0.085, 0.70, 1.6},
     {1500.0, 1.8, 3, 0.009, 0.080}, {1.12, 8500.0, 0.30, 0.014, 0.120}, {0.8, 0.8}},
    // Dubstep: tight kick, huge, driven snare.
    {{240.0, 56.0, 0.020, 0.00, 0.065, 0.30, 2.6}, {180.0, 0.060, 3200.0, 0.8, 0.140, 0.60, 2.2},
     {1000.0, 1.3, 4, 0.012, 0.140}, {1.06, 8000.0, 0.35, 0.016, 0.170}, {1.0, 0.7}},
    // Guaracha: hard, clicky kick and busy, bright percussion.
    {{200.0, 56.0, 0.025, 0.00, 0.080, 0.28, 1.9}, {220.0, 0.035, 4200.0, 1.0, 0.070, 0.65, 1.4},
     {1350.0, 1.7, 4, 0.009, 0.090}, {1.14, 8400.0, 0.30, 0.015, 0.130}, {0.8, 0.9}},
    // Afrobeats: warm kick, woody snare and shakers-like hats.
    {{140.0, 52.0, 0.035, 0.01, 0.100, 0.10, 1.3}, {250.0, 0.050, 3000.0, 1.1, 0.070, 0.50, 1.1},
     {1100.0, 1.5, 3, 0.011, 0.090}, {0.98, 7200.0, 0.60, 0.018, 0.120}, {1.2, 0.5}},
    // Afro House: round, deep kick, soft clap, airy hats.
    {{125.0, 48.0, 0.045, 0.02, 0.140, 0.06, 1.2}, {200.0, 0.055, 3400.0, 0.9, 0.090, 0.55, 1.0},
     {950.0, 1.4, 4, 0.012, 0.130}, {0.94, 7400.0, 0.50, 0.020, 0.180}, {1.3, 0.4}},
}};
// clang-format on

std::vector<double> makeKick(const KickShape& shape, const VariationShape& variation, Noise& noise)
{
    const auto pitch = pitchFactor(variation);
    const auto startHz = shape.startHz * pitch;
    const auto endHz = shape.endHz * pitch;
    const auto sweep = shape.sweepSeconds * (1.0 - 0.2 * variation.tone);
    const auto decaySeconds = shape.decaySeconds * variation.decay;
    const auto click = shape.click * std::exp2(variation.tone);

    std::vector<double> out(samplesFor(shape.holdSeconds + kTailTimeConstants * decaySeconds));
    Sine body;
    Decay sweepDecay(sweep);
    Decay bodyDecay(decaySeconds);
    Decay clickDecay(0.0025);
    Biquad clickFilter(Biquad::Kind::highPass, 1500.0, 0.7);
    const auto holdSamples = static_cast<std::size_t>(shape.holdSeconds * kRate);
    for (std::size_t i = 0; i < out.size(); ++i)
    {
        const auto hz = endHz + (startHz - endHz) * sweepDecay.next();
        const auto level = i < holdSamples ? 1.0 : bodyDecay.next();
        const auto clickValue = click * clickFilter.process(noise.next()) * clickDecay.next();
        out[i] = softClip(body.next(hz) * level + clickValue, shape.drive);
    }
    return out;
}

std::vector<double> makeSnare(const SnareShape& shape, const VariationShape& variation, Noise& noise)
{
    const auto pitch = pitchFactor(variation);
    const auto toneSeconds = shape.toneSeconds * variation.decay;
    const auto noiseSeconds = shape.noiseSeconds * variation.decay;
    const auto noiseHz = shape.noiseHz * std::exp2(0.5 * variation.tone);

    std::vector<double> out(samplesFor(kTailTimeConstants * std::max(toneSeconds, noiseSeconds)));
    Sine low;
    Sine high;
    Decay bendDecay(0.006);
    Decay toneDecay(toneSeconds);
    Decay noiseDecay(noiseSeconds);
    Biquad band(Biquad::Kind::bandPass, noiseHz, shape.noiseQ);
    Biquad sizzle(Biquad::Kind::highPass, 6000.0, 0.7);
    const auto toneLevel = 1.0 - shape.noiseLevel;
    // Band-passed noise is much quieter than a sine of the same peak; this evens the mix out.
    const auto noiseLevel = 2.5 * shape.noiseLevel;
    for (std::size_t i = 0; i < out.size(); ++i)
    {
        const auto hz = shape.toneHz * pitch * (1.0 + 0.6 * bendDecay.next());
        const auto tone = (low.next(hz) + 0.5 * high.next(hz * 1.47)) * toneDecay.next();
        const auto white = noise.next();
        const auto rattle = (band.process(white) + 0.25 * sizzle.process(white)) * noiseDecay.next();
        out[i] = softClip(toneLevel * tone + noiseLevel * rattle, shape.drive);
    }
    return out;
}

std::vector<double> makeClap(const ClapShape& shape, const VariationShape& variation, Noise& noise)
{
    const auto centreHz = shape.centreHz * pitchFactor(variation);
    const auto spacing = shape.spacingSeconds * (1.0 - 0.15 * variation.tone);
    const auto tailSeconds = shape.tailSeconds * variation.decay;
    const auto lastBurst = spacing * (shape.bursts - 1);

    std::vector<double> out(samplesFor(lastBurst + kTailTimeConstants * tailSeconds));
    Biquad band(Biquad::Kind::bandPass, centreHz, shape.q * (1.0 + 0.2 * variation.tone));
    // The room tail is wider in band than the hand strokes, so it dies away smoothly instead
    // of fluttering like narrow-band noise.
    Biquad roomBand(Biquad::Kind::bandPass, centreHz * 1.2, 0.45);
    Biquad air(Biquad::Kind::highPass, 3000.0, 0.7);
    const auto burstFactor = std::exp(-1.0 / (0.0035 * kRate));
    const auto tailFactor = std::exp(-1.0 / (tailSeconds * kRate));
    double burstLevel = 0.0;
    double tailLevel = 0.0;
    int burstsStarted = 0;
    for (std::size_t i = 0; i < out.size(); ++i)
    {
        const auto t = secondsAt(i);
        if (burstsStarted < shape.bursts && t >= spacing * burstsStarted)
        {
            burstLevel = 1.0;
            ++burstsStarted;
            if (burstsStarted == shape.bursts)
                tailLevel = 0.7;
        }
        const auto white = noise.next();
        const auto strokes = band.process(white) * burstLevel;
        const auto room = 0.8 * roomBand.process(white) * tailLevel;
        out[i] = strokes + room + 0.06 * air.process(white) * (burstLevel + tailLevel);
        burstLevel *= burstFactor;
        tailLevel *= tailFactor;
    }
    return out;
}

std::vector<double> makeHat(const HatShape& shape, const VariationShape& variation, bool open, Noise& noise)
{
    // The six pitches of the classic analogue cymbal circuit; square waves this close together
    // beat against each other into a metallic cluster.
    constexpr std::array<double, 6> kMetalHz{205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    const auto scale = shape.metalScale * pitchFactor(variation);
    const auto decaySeconds = (open ? shape.openSeconds : shape.closedSeconds) * variation.decay;
    const auto cutoff = shape.highPassHz * std::exp2(0.3 * variation.tone);

    std::vector<double> out(samplesFor(kTailTimeConstants * decaySeconds));
    std::array<double, 6> phases{};
    Biquad band(Biquad::Kind::bandPass, 10000.0 * std::exp2(0.3 * variation.tone), 0.6);
    Biquad highPassA(Biquad::Kind::highPass, cutoff, 0.7);
    Biquad highPassB(Biquad::Kind::highPass, cutoff, 0.7);
    Decay decay(decaySeconds);
    for (std::size_t i = 0; i < out.size(); ++i)
    {
        double metal = 0.0;
        for (std::size_t k = 0; k < phases.size(); ++k)
        {
            metal += phases[k] < 0.5 ? 1.0 : -1.0;
            phases[k] += kMetalHz[k] * scale / kRate;
            if (phases[k] >= 1.0)
                phases[k] -= 1.0;
        }
        const auto source = (1.0 - shape.noiseMix) * metal / 6.0 + shape.noiseMix * noise.next();
        const auto filtered = highPassB.process(highPassA.process(source + 0.5 * band.process(source)));
        out[i] = filtered * decay.next();
    }
    return out;
}

// Tuned percussion: the fundamental is always middle C, because tuned elements are re-pitched
// by (note - 60) semitones; the five variations are different instruments around that pitch.
std::vector<double> makePerc(const PercShape& shape, int variation, Noise& noise)
{
    constexpr auto f0 = kPercFundamentalHz;
    struct Partial
    {
        double ratio;
        double level;
        double seconds;
    };
    struct Model
    {
        std::array<Partial, 3> partials;
        double bend;  // pitch overshoot at the attack, as a fraction of the pitch
        double slap;  // level of a short noise slap
        double drive; // saturation, for the log drum's growl
    };
    const auto b = shape.brightness;
    const std::array<Model, kVariationsPerFolder> models{{
        // Marimba-like bar.
        {{{{1.0, 1.0, 0.30}, {3.93, 0.30 * b, 0.05}, {9.2, 0.08 * b, 0.015}}}, 0.0, 0.0, 1.0},
        // Conga-like skin with a slap.
        {{{{1.0, 1.0, 0.16}, {2.0, 0.20 * b, 0.05}, {3.1, 0.10 * b, 0.02}}}, 0.06, 0.35 * b, 1.0},
        // Wood block.
        {{{{1.0, 1.0, 0.07}, {2.72, 0.40 * b, 0.03}, {5.1, 0.15 * b, 0.01}}}, 0.0, 0.20, 1.0},
        // Bell.
        {{{{1.0, 1.0, 0.45}, {2.76, 0.35 * b, 0.20}, {5.4, 0.20 * b, 0.09}}}, 0.0, 0.0, 1.0},
        // Log drum: deep and round, with a little growl.
        {{{{1.0, 1.0, 0.35}, {2.0, 0.30, 0.10}, {3.0, 0.08 * b, 0.04}}}, 0.02, 0.0, 1.6},
    }};
    const auto& model = models[static_cast<std::size_t>(variation)];
    const auto longest = model.partials[0].seconds * shape.decay;

    std::vector<double> out(samplesFor(kTailTimeConstants * longest));
    std::array<Sine, 3> oscillators{};
    std::array<Decay, 3> decays{Decay(model.partials[0].seconds * shape.decay),
                                Decay(model.partials[1].seconds * shape.decay),
                                Decay(model.partials[2].seconds * shape.decay)};
    Decay bendDecay(0.012);
    Decay slapDecay(0.008);
    Biquad slapFilter(Biquad::Kind::bandPass, 1800.0, 1.0);
    for (std::size_t i = 0; i < out.size(); ++i)
    {
        const auto hz = f0 * (1.0 + model.bend * bendDecay.next());
        double value = 0.0;
        for (std::size_t k = 0; k < oscillators.size(); ++k)
            value += model.partials[k].level * oscillators[k].next(hz * model.partials[k].ratio) * decays[k].next();
        value += model.slap * slapFilter.process(noise.next()) * slapDecay.next();
        out[i] = softClip(value, model.drive);
    }
    return out;
}

// Shapes raw synthesis into a finished one-shot: a short fade-in, no DC, the tail trimmed where
// it has decayed by 70 dB and faded to exact silence, peak at -1 dBFS.
std::vector<float> finish(std::vector<double> raw)
{
    for (int i = 0; i < kFadeInSamples && i < static_cast<int>(raw.size()); ++i)
    {
        const auto w = std::sin(0.5 * juce::MathConstants<double>::pi * (i + 1) / (kFadeInSamples + 1));
        raw[static_cast<std::size_t>(i)] *= w * w;
    }

    // One-pole DC blocker at about 10 Hz.
    const auto pole = 1.0 - kTwoPi * 10.0 / kRate;
    double previousIn = 0.0;
    double previousOut = 0.0;
    for (auto& x : raw)
    {
        const auto y = x - previousIn + pole * previousOut;
        previousIn = x;
        previousOut = y;
        x = y;
    }

    const auto peakOf = [](const std::vector<double>& s)
    { return std::accumulate(s.begin(), s.end(), 0.0, [](double m, double x) { return std::max(m, std::abs(x)); }); };
    const auto rawPeak = peakOf(raw);
    if (rawPeak <= 0.0)
        return {};

    auto length = raw.size();
    while (length > 1 && std::abs(raw[length - 1]) < rawPeak * kTrimLevel)
        --length;
    length = std::min(raw.size(), length + static_cast<std::size_t>(0.005 * kRate));
    raw.resize(length);

    const auto fade = std::min(length / 3, static_cast<std::size_t>(kMaxFadeOutSeconds * kRate));
    for (std::size_t i = 0; i < fade; ++i)
    {
        // Reaches exactly zero on the last sample.
        const auto w =
            std::cos(0.5 * juce::MathConstants<double>::pi * static_cast<double>(i + 1) / static_cast<double>(fade));
        raw[length - fade + i] *= w * w;
    }
    raw[length - 1] = 0.0;

    // What DC the blocker left is removed with a Hann-shaped offset, which keeps both ends at
    // their values and is far below hearing.
    const auto mean = std::accumulate(raw.begin(), raw.end(), 0.0) / static_cast<double>(length);
    if (length > 2)
    {
        const auto span = static_cast<double>(length - 1);
        const auto hannSum = 0.5 * span; // sum of sin^2(pi n / span) for n = 0 .. span
        for (std::size_t i = 0; i < length; ++i)
        {
            const auto s = std::sin(juce::MathConstants<double>::pi * static_cast<double>(i) / span);
            raw[i] -= mean * static_cast<double>(length) * s * s / hannSum;
        }
    }

    const auto gain = kPeakGain / peakOf(raw);
    std::vector<float> out(length);
    std::transform(raw.begin(), raw.end(), out.begin(), [gain](double x) { return static_cast<float>(x * gain); });
    return out;
}

std::uint32_t seedFor(const SoundId& sound) noexcept
{
    // A fixed mix of the sound's coordinates, so every file has its own noise.
    auto h = static_cast<std::uint32_t>(sound.kitIndex * 131 + elementIndex(sound.element) * 17 + sound.variation);
    h = (h ^ 61u) ^ (h >> 16);
    h *= 9u;
    h ^= h >> 4;
    h *= 0x27d4eb2du;
    h ^= h >> 15;
    return h;
}

void putLittleEndian(std::vector<unsigned char>& bytes, std::uint32_t value, int numBytes)
{
    for (int i = 0; i < numBytes; ++i)
        bytes.push_back(static_cast<unsigned char>((value >> (8 * i)) & 0xffu));
}

void putTag(std::vector<unsigned char>& bytes, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<unsigned char>(tag[i]));
}
} // namespace

std::vector<SoundId> allSounds()
{
    std::vector<SoundId> sounds;
    for (int kit = 0; kit < static_cast<int>(kKitNames.size()); ++kit)
        for (const auto element : kElementsWithFolders)
            for (int variation = 0; variation < kVariationsPerFolder; ++variation)
                sounds.push_back({kit, element, variation});
    return sounds;
}

std::vector<float> synthesize(const SoundId& sound)
{
    const auto kit = static_cast<std::size_t>(std::clamp(sound.kitIndex, 0, static_cast<int>(kKitNames.size()) - 1));
    const auto variation = std::clamp(sound.variation, 0, kVariationsPerFolder - 1);
    const auto& voicing = kVoicings[kit];
    const auto& shape = kVariationShapes[static_cast<std::size_t>(variation)];
    Noise noise(seedFor(sound));
    switch (sound.element)
    {
    case Element::Kick:
        return finish(makeKick(voicing.kick, shape, noise));
    case Element::Snare:
        return finish(makeSnare(voicing.snare, shape, noise));
    case Element::Clap:
        return finish(makeClap(voicing.clap, shape, noise));
    case Element::Closed_Hat:
        return finish(makeHat(voicing.hat, shape, false, noise));
    case Element::Open_Hat:
        return finish(makeHat(voicing.hat, shape, true, noise));
    default:
        return finish(makePerc(voicing.perc, variation, noise));
    }
}

std::vector<unsigned char> encodeWav(const std::vector<float>& samples)
{
    constexpr std::uint32_t bytesPerSample = kBitsPerSample / 8;
    const auto dataBytes = static_cast<std::uint32_t>(samples.size()) * bytesPerSample;
    const auto padByte = dataBytes & 1u; // chunks are word-aligned
    std::vector<unsigned char> bytes;
    bytes.reserve(44 + dataBytes + padByte);

    putTag(bytes, "RIFF");
    putLittleEndian(bytes, 36 + dataBytes + padByte, 4);
    putTag(bytes, "WAVE");
    putTag(bytes, "fmt ");
    putLittleEndian(bytes, 16, 4);
    putLittleEndian(bytes, 1, 2); // PCM
    putLittleEndian(bytes, 1, 2); // mono
    putLittleEndian(bytes, kSampleRate, 4);
    putLittleEndian(bytes, kSampleRate * bytesPerSample, 4);
    putLittleEndian(bytes, bytesPerSample, 2);
    putLittleEndian(bytes, kBitsPerSample, 2);
    putTag(bytes, "data");
    putLittleEndian(bytes, dataBytes, 4);

    constexpr double fullScale = 8388607.0;
    for (const auto sample : samples)
    {
        const auto value = std::clamp(std::lround(static_cast<double>(sample) * fullScale), -8388608L, 8388607L);
        putLittleEndian(bytes, static_cast<std::uint32_t>(value), 3);
    }
    if (padByte != 0)
        bytes.push_back(0);
    return bytes;
}

juce::String relativePathOf(const SoundId& sound)
{
    const juce::String kit(kKitNames[static_cast<std::size_t>(sound.kitIndex)]);
    const juce::String folder(drumTreeFolderForElement(sound.element));
    return kit + "/" + folder + "/" + kit + " " + folder + " " + juce::String(sound.variation + 1) + ".wav";
}

WriteResult writeLibrary(const juce::File& root, int numThreads)
{
    const auto sounds = allSounds();
    for (const auto& sound : sounds)
    {
        const auto folder = root.getChildFile(relativePathOf(sound)).getParentDirectory();
        if (!folder.isDirectory() && !folder.createDirectory().wasOk())
            return {0, "cannot create the folder " + folder.getFullPathName()};
    }

    // Each worker takes every n-th sound; the sounds do not depend on each other, so the result
    // is the same whatever the number of threads.
    const auto workerCount = static_cast<std::size_t>(std::clamp(numThreads, 1, 16));
    std::vector<int> written(workerCount, 0);
    std::vector<juce::String> errors(workerCount);
    const auto work = [&](std::size_t worker)
    {
        for (auto index = worker; index < sounds.size(); index += workerCount)
        {
            const auto file = root.getChildFile(relativePathOf(sounds[index]));
            const auto bytes = encodeWav(synthesize(sounds[index]));
            if (!file.replaceWithData(bytes.data(), bytes.size()))
            {
                errors[worker] = "cannot write " + file.getFullPathName();
                return;
            }
            ++written[worker];
        }
    };
    std::vector<std::thread> helpers;
    for (std::size_t worker = 1; worker < workerCount; ++worker)
        helpers.emplace_back(work, worker);
    work(0);
    for (auto& helper : helpers)
        helper.join();

    WriteResult result;
    result.filesWritten = std::accumulate(written.begin(), written.end(), 0);
    for (const auto& error : errors)
        if (error.isNotEmpty())
            result.error = error;
    return result;
}
} // namespace garvo::factory
