// TKeyboard: the key state behind getkey: a held count and a polled-this-frame flag per key code.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "runtime/input/KeyState.h"

namespace varno {

// Scripts call getkey() once per frame and getkey(k) as often as they like; a key's count
// then grows by one per frame while it is held (1 on the first frame, 2, 3 ...) and is 0
// when it is up. The platform's key state is asked at most once per key and frame, except
// in design mode, where every poll asks.
//
// What the keyboard needs of other layers it asks through the questions below, which those
// layers install (the screen knows whether the window is active, the project manager the
// "deactivation_disablekey" parameter, the page layer design mode, the joystick service
// its own per-frame flags). An empty question has the default given with it.
class TKeyboard {
public:
    TKeyboard();
    TKeyboard(const TKeyboard&) = delete;
    TKeyboard& operator=(const TKeyboard&) = delete;

    // The platform's key state; null goes back to the built-in fake keyboard (not owned).
    void setSource(IKeyState* source);
    IKeyState& source() const { return *m_source; }
    // The keyboard used when no platform source is installed (headless, tests).
    TFakeKeyboard& fake() { return m_fake; }

    // getkey(): clears every polled flag (and the joysticks' per-frame flags).
    void newFrame();

    // getkey(code): 0 while keys are disabled for an inactive window; otherwise the held
    // count of code, which must be 0 .. 255, after asking the source when the key has not
    // been polled this frame (or always, in design mode).
    std::int32_t poll(std::int32_t code);

    std::int32_t heldCount(std::int32_t code) const { return m_held[index(code)]; }

    // Forgets every count and flag (a new page, tests).
    void reset();
    // reset, and back to the built-in fake keyboard with no key down and no questions.
    void restoreDefaults();

    std::function<bool()> windowActive;         // empty: the window is active
    std::function<bool()> disableWhenInactive;  // empty: keys read 0 while inactive
    std::function<bool()> designMode;           // empty: not in design mode
    std::function<void()> clearJoystickPolls;   // empty: nothing to clear

private:
    static std::size_t index(std::int32_t code) { return static_cast<std::size_t>(code) & 0xFF; }

    TFakeKeyboard m_fake;
    IKeyState* m_source;
    std::array<std::int32_t, 256> m_held{};
    std::array<bool, 256> m_polled{};
};

// The keyboard of the process.
TKeyboard& Keyboard();

}  // namespace varno
