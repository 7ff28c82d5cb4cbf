#include "lab/sessionfigures.h"

#include "lab/beatcursor.h"
#include "lab/labsession.h"

namespace valthera::lab {

namespace {

std::optional<Sample> cursorSample(const BeatCursor *cursor)
{
    if (!cursor || !cursor->hasBeat())
        return std::nullopt;
    return cursor->beat().samples[static_cast<std::size_t>(cursor->sample())];
}

} // namespace

PvFigure pvFigure(const LabSession &session, const BeatCursor *cursor)
{
    PvFigure f;
    f.current = &session.current();
    f.shown = &session.shownBeat();
    f.baseline = &session.baseline();
    f.baselineName = session.baselineName();
    f.occlusion = session.occlusion() ? &*session.occlusion() : nullptr;
    const int playing = session.transientBeat();
    if (const Transient *transient = session.playingTransient(); transient && playing > 1)
        f.family = std::span<const Beat>(transient->beats).first(static_cast<std::size_t>(playing - 1));
    // While the beats after a change play, the numbered points wait for the new steady loop.
    if (playing == 0)
        f.events = session.events();
    const Preset *preset = session.matchingPreset();
    f.title = QStringLiteral("P-V Loop: %1").arg(preset ? toQString(preset->name) : QStringLiteral("Own settings"));
    f.cursor = cursorSample(cursor);
    return f;
}

TimeFigure timeFigure(const LabSession &session, const BeatCursor *cursor, const Beat *beat)
{
    TimeFigure f;
    f.beat = beat ? beat : &session.shownBeat();
    if (!beat && session.transientBeat() == 0)
        f.events = session.events();
    f.balloonVolume = session.current().parameters[Param::IABPvol];
    f.cursor = cursorSample(cursor);
    return f;
}

} // namespace valthera::lab
