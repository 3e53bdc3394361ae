#pragma once
// The keyboard preview: animates the on-screen keyboard in step with the
// lighting effect that the keyboard itself runs. One `tick` is one pass of
// the preview loop: the tick counter, the effect's frame step when the
// counter reaches the effect's threshold, and the per-key overlay.
//
// Not thread-safe by design: the owning device serialises every call (it
// holds a lock around tick, key events and setters, or double-buffers the
// frame for the paint tick). Time comes in as a millisecond tick count and
// randomness from the RandomFn given at construction, so the preview is
// deterministic under test.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "devices/lighting/preview_state.h"

namespace kavro::lighting {

class KeyboardPreview {
 public:
  explicit KeyboardPreview(RandomFn random = seededRandom(1));

  // Takes the lighting state; when the effect number changes the preview is
  // reset and the new effect's start step runs.
  void setLightState(const profiles::LightSetting& light);
  const profiles::LightSetting& lightState() const { return s_.light; }

  // Clears the buffers and phases and selects `effect`.
  void reset(std::uint8_t effect);
  // Start step of the current effect (11, 13, 15, 16, 20, 21 have one).
  void startStep();

  // One pass of the preview loop; true when the effect's frame step ran.
  bool tick(std::uint32_t nowMs);

  // A key press or release at a key position (reactive effects 7, 8, 9, 24).
  void keyEvent(std::size_t position, KeyAction action);

  // Per-key effect items by key position; their animations restart.
  void setPerKeyItems(std::vector<profiles::LightListEntry> items);
  // The step list of the custom light effect; it restarts at step 0.
  void setCustomSteps(std::vector<profiles::LightEffectStep> steps);
  // The custom colour bank shown by effect 20, one colour per key position.
  void setCustomColors(const std::vector<profiles::KeyColor>& colors);
  // Paints one key of the custom colour bank (effect 20).
  void paintKey(std::size_t position, Rgb color);

  // The frame: 126 entries of red, green, blue, brightness.
  const std::vector<LedColor>& frame() const { return s_.engine.leds; }
  const PreviewState& state() const { return s_; }

 private:
  void advanceCounter(std::uint32_t nowMs);

  PreviewState s_;
  RandomFn random_;
  std::uint32_t counter_ = 0;        // tick counter of the loop
  std::uint32_t lastAdvanceMs_ = 0;  // clock at the counter's last advance
};

}  // namespace kavro::lighting
