-- Builds an Ardour session for the host check, run by ardour7-lua with the "None (Dummy)" backend:
-- one MIDI track with GARVO RHYTHM as its instrument, a constant tempo, saved and closed.
-- Settings come from the environment: GARVO_SESSION_DIR, GARVO_PLUGIN_KIND ("LV2" or "VST3"),
-- GARVO_PLUGIN_ID (the LV2 URI or the VST3 name) and GARVO_TEMPO.
io.stdout:setvbuf("no")

local function fail(message)
	print("FAIL: " .. message)
	os.exit(1)
end

local dir = os.getenv("GARVO_SESSION_DIR")
local kind = os.getenv("GARVO_PLUGIN_KIND")
local id = os.getenv("GARVO_PLUGIN_ID")
local tempo = tonumber(os.getenv("GARVO_TEMPO") or "150")
if not dir or not id or (kind ~= "LV2" and kind ~= "VST3") then
	fail("set GARVO_SESSION_DIR, GARVO_PLUGIN_KIND (LV2 or VST3) and GARVO_PLUGIN_ID")
end

if not AudioEngine:set_backend("None (Dummy)", "", "") then
	fail("the None (Dummy) backend is not available")
end
if not create_session(dir, "garvo", 48000) then
	fail("cannot create the session in " .. dir)
end

local map = Temporal.TempoMap.fetch_writable()
map:set_tempo(Temporal.Tempo(tempo, tempo, 4), Temporal.timepos_t(0))
Temporal.TempoMap.update(map)
if Temporal.TempoMap.read():tempo_at(Temporal.timepos_t(0)):note_types_per_minute() ~= tempo then
	fail("the tempo was not set")
end

local pluginType = kind == "LV2" and ARDOUR.PluginType.LV2 or ARDOUR.PluginType.VST3
local info = ARDOUR.LuaAPI.new_plugin_info(id, pluginType)
if info:isnil() then
	fail(kind .. " plug-in '" .. id .. "' not found")
end

local tracks = Session:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1),
	ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), true, info, nil, nil, 1, "Drums",
	ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
if tracks:size() ~= 1 then
	fail("no MIDI track")
end
local instrument = tracks:front():nth_plugin(0)
if instrument:isnil() or instrument:name() ~= "GARVO RHYTHM" then
	fail("GARVO RHYTHM is not the track's instrument")
end
print("ok: " .. kind .. " GARVO RHYTHM on a MIDI track at " .. tempo .. " BPM")

Session:save_state("", false, false, false, false, false)
close_session()
