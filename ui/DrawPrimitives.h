// Drawing primitives over the Drawbot suites of one draw event. Each obtains the surface and the
// supplier from the drawing reference, makes its Drawbot objects (released before it returns),
// makes its drawing call only when nothing failed before it, and returns the first Drawbot error
// (0 when none). A failure to make an object throws DRAWBOT_Exception. Coordinates are frame
// pixels of the event's window.
#pragma once

#include <cstdint>

#include "sdk/drawbot.h"
#include "sdk/pf_effect.h"
#include "sdk/pf_events.h"

namespace Orvane::Mosaira {

// The colour of the overlay and of the chooser's accents: (43, 136, 205, 255) / 255.
inline constexpr DRAWBOT_ColorRGBA kAccentColour{43.0f / 255.0f, 136.0f / 255.0f, 205.0f / 255.0f,
                                                 1.0f};

// The line of the chooser's hint strip.
inline constexpr char kHintText[] = "Double click to load layout";

// Fills `rect` (left, top, right, bottom) with `colour`, winding rule.
PF_Err FillRect(const PF_Rect& rect, DRAWBOT_DrawRef drawRef, const DRAWBOT_Suites& suites,
                const DRAWBOT_ColorRGBA& colour);

// Strokes the caller's path (still owned by the caller) with a pen of `colour` and `width` px.
PF_Err StrokePath(DRAWBOT_DrawRef drawRef, const DRAWBOT_Suites& suites,
                  const DRAWBOT_ColorRGBA& colour, float width, DRAWBOT_PathRef path);

// Draws kHintText from the rectangle's left edge, a line of the font's size centred vertically,
// cut with an ellipsis at the right edge. `fontSize` 0 uses the supplier's default size.
PF_Err DrawHintText(DRAWBOT_DrawRef drawRef, const DRAWBOT_Suites& suites,
                    const DRAWBOT_ColorRGBA& colour, const PF_Rect& rect, float fontSize);

// Draws `text` (NUL-terminated UTF-16, at most 255 units) in twice the default font size roughly
// centred on `position`. With an event record the position is read in layer pixels, mapped with
// LayerToFramePoint and overwritten with the whole frame pixels drawn at; without one it is used
// as frame pixels and left alone.
PF_Err DrawFrameNumber(const PF_InData* inData, const PF_EventExtra* extra, DRAWBOT_DrawRef drawRef,
                       const DRAWBOT_Suites& suites, const DRAWBOT_ColorRGBA& colour,
                       double position[2], const DRAWBOT_UTF16Char* text);

}  // namespace Orvane::Mosaira
