// A small JACK client for the LV2 host test. It becomes the timebase master at a fixed tempo, starts
// the JACK transport at frame 0, records what another client (the plug-in running in jalv) sends to
// its audio and MIDI outputs while the transport rolls, stops the transport and prints a report:
//
//   rate <sample rate>
//   frames <frames recorded while rolling>
//   audio_peak <largest absolute sample>
//   audio_nonfinite <count of NaN or infinite samples>
//   midi <transport frame> <status> <data1> <data2>      (one line per MIDI event, in order)
//
// The test script judges the report; this program only fails when JACK itself does.

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/transport.h>
#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr double kTicksPerBeat = 1920.0;
constexpr float kBeatsPerBar = 4.0f;
constexpr std::size_t kMaxMidiEvents = 1 << 16;

struct MidiRecord
{
    jack_nframes_t frame = 0;
    std::array<unsigned char, 3> bytes{};
};

struct Recorder
{
    jack_client_t* client = nullptr;
    std::array<jack_port_t*, 2> audioIn{};
    jack_port_t* midiIn = nullptr;
    double bpm = 120.0;

    // Filled by the process callback; read by the main thread once the client is deactivated.
    std::vector<MidiRecord> midi; // reserved up front: the process callback never allocates
    std::atomic<std::size_t> midiCount{0};
    std::atomic<unsigned long long> framesRolled{0};
    float peak = 0.0f;
    unsigned long long nonFinite = 0;
    bool midiOverflow = false;
};

// Timebase master: bar, beat and tick from the frame at one constant tempo in 4/4.
void timebase(jack_transport_state_t, jack_nframes_t, jack_position_t* pos, int, void* arg)
{
    const auto& recorder = *static_cast<const Recorder*>(arg);
    const double beats = static_cast<double>(pos->frame) * recorder.bpm / (60.0 * pos->frame_rate);
    const double wholeBeats = std::floor(beats);
    const auto bar = static_cast<int32_t>(wholeBeats / kBeatsPerBar);
    const double barStartBeat = static_cast<double>(bar) * kBeatsPerBar;

    pos->valid = JackPositionBBT;
    pos->beats_per_bar = kBeatsPerBar;
    pos->beat_type = 4.0f;
    pos->ticks_per_beat = kTicksPerBeat;
    pos->beats_per_minute = recorder.bpm;
    pos->bar = bar + 1;
    pos->beat = static_cast<int32_t>(wholeBeats - barStartBeat) + 1;
    pos->tick = static_cast<int32_t>((beats - wholeBeats) * kTicksPerBeat);
    pos->bar_start_tick = barStartBeat * kTicksPerBeat;
}

int process(jack_nframes_t nframes, void* arg)
{
    auto& recorder = *static_cast<Recorder*>(arg);
    jack_position_t pos;
    if (jack_transport_query(recorder.client, &pos) != JackTransportRolling)
        return 0;

    for (auto* port : recorder.audioIn)
    {
        const auto* samples = static_cast<const float*>(jack_port_get_buffer(port, nframes));
        for (jack_nframes_t i = 0; i < nframes; ++i)
        {
            if (!std::isfinite(samples[i]))
                ++recorder.nonFinite;
            else
                recorder.peak = std::max(recorder.peak, std::fabs(samples[i]));
        }
    }

    void* midiBuffer = jack_port_get_buffer(recorder.midiIn, nframes);
    const auto eventCount = jack_midi_get_event_count(midiBuffer);
    auto count = recorder.midiCount.load(std::memory_order_relaxed);
    for (uint32_t e = 0; e < eventCount; ++e)
    {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, midiBuffer, e) != 0 || event.size == 0)
            continue;
        if (count == recorder.midi.size())
        {
            recorder.midiOverflow = true;
            break;
        }
        auto& record = recorder.midi[count++];
        record.frame = pos.frame + event.time;
        for (std::size_t b = 0; b < record.bytes.size(); ++b)
            record.bytes[b] = b < event.size ? event.buffer[b] : 0;
    }
    recorder.midiCount.store(count, std::memory_order_release);
    recorder.framesRolled.fetch_add(nframes, std::memory_order_release);
    return 0;
}

// Connects every port of one type and direction of the other client to the given inputs, in order.
int connectFrom(jack_client_t* client, const std::string& source, const char* type,
                const std::vector<jack_port_t*>& inputs)
{
    const std::string pattern = "^" + source + ":";
    const char** ports = jack_get_ports(client, pattern.c_str(), type, JackPortIsOutput);
    int connected = 0;
    for (std::size_t i = 0; ports != nullptr && ports[i] != nullptr && i < inputs.size(); ++i)
        if (jack_connect(client, ports[i], jack_port_name(inputs[i])) == 0)
            ++connected;
    jack_free(ports);
    return connected;
}

[[noreturn]] void fail(const char* message)
{
    std::fprintf(stderr, "garvo_jack_recorder: %s\n", message);
    std::exit(1);
}
} // namespace

int main(int argc, char** argv)
{
    std::string source;
    double seconds = 5.0;
    Recorder recorder;
    for (int i = 1; i + 1 < argc; i += 2)
    {
        const std::string option = argv[i];
        if (option == "--from")
            source = argv[i + 1];
        else if (option == "--tempo")
            recorder.bpm = std::atof(argv[i + 1]);
        else if (option == "--seconds")
            seconds = std::atof(argv[i + 1]);
        else
            fail("usage: garvo_jack_recorder --from CLIENT [--tempo BPM] [--seconds S]");
    }
    if (source.empty() || !(recorder.bpm > 0.0) || !(seconds > 0.0))
        fail("usage: garvo_jack_recorder --from CLIENT [--tempo BPM] [--seconds S]");

    recorder.midi.resize(kMaxMidiEvents);
    jack_status_t status{};
    recorder.client = jack_client_open("garvo_recorder", JackNoStartServer, &status);
    if (recorder.client == nullptr)
        fail("cannot connect to the JACK server");

    recorder.audioIn[0] = jack_port_register(recorder.client, "in_l", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    recorder.audioIn[1] = jack_port_register(recorder.client, "in_r", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    recorder.midiIn = jack_port_register(recorder.client, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (recorder.audioIn[0] == nullptr || recorder.audioIn[1] == nullptr || recorder.midiIn == nullptr)
        fail("cannot register ports");

    jack_transport_stop(recorder.client);
    if (jack_set_process_callback(recorder.client, process, &recorder) != 0 ||
        jack_set_timebase_callback(recorder.client, 0, timebase, &recorder) != 0)
        fail("cannot install the process or timebase callback");
    if (jack_activate(recorder.client) != 0)
        fail("cannot activate the client");

    const int audioConnected =
        connectFrom(recorder.client, source, JACK_DEFAULT_AUDIO_TYPE, {recorder.audioIn[0], recorder.audioIn[1]});
    const int midiConnected = connectFrom(recorder.client, source, JACK_DEFAULT_MIDI_TYPE, {recorder.midiIn});
    if (audioConnected == 0 || midiConnected == 0)
        fail("the source client has no audio or no MIDI output to record");

    const auto rate = jack_get_sample_rate(recorder.client);
    jack_transport_locate(recorder.client, 0);
    jack_transport_start(recorder.client);

    // Wait in transport frames, not wall time, so a slow machine records the same musical span.
    const auto wanted = static_cast<unsigned long long>(seconds * rate);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds * 6.0 + 10.0);
    while (recorder.framesRolled.load(std::memory_order_acquire) < wanted)
    {
        if (std::chrono::steady_clock::now() > deadline)
            fail("the transport did not roll long enough");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    jack_transport_stop(recorder.client);
    jack_deactivate(recorder.client);

    std::printf("rate %u\n", rate);
    std::printf("frames %llu\n", recorder.framesRolled.load());
    std::printf("audio_peak %.9g\n", static_cast<double>(recorder.peak));
    std::printf("audio_nonfinite %llu\n", recorder.nonFinite);
    if (recorder.midiOverflow)
        std::printf("midi_overflow 1\n");
    const auto count = recorder.midiCount.load(std::memory_order_acquire);
    for (std::size_t i = 0; i < count; ++i)
    {
        const auto& record = recorder.midi[i];
        std::printf("midi %u %u %u %u\n", record.frame, record.bytes[0], record.bytes[1], record.bytes[2]);
    }
    jack_client_close(recorder.client);
    return 0;
}
