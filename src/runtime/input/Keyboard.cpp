// The key state behind getkey.
#include "runtime/input/Keyboard.h"

#include <cstdint>

namespace varno {

TKeyboard::TKeyboard() : m_source(&m_fake) {}

void TKeyboard::setSource(IKeyState* source) { m_source = source != nullptr ? source : &m_fake; }

void TKeyboard::newFrame() {
    m_polled.fill(false);
    if (clearJoystickPolls) clearJoystickPolls();
}

std::int32_t TKeyboard::poll(std::int32_t code) {
    // 1. An inactive window reads no keys unless the project lets it.
    const bool active = !windowActive || windowActive();
    const bool disable = !disableWhenInactive || disableWhenInactive();
    if (!active && disable) return 0;
    // 3. Ask the platform once per frame (every time in design mode).
    const std::size_t k = index(code);
    if ((designMode && designMode()) || !m_polled[k]) {
        if (m_source->isDown(static_cast<std::int32_t>(k))) {
            if (m_held[k] < INT32_MAX) ++m_held[k];
        } else {
            m_held[k] = 0;
        }
        m_polled[k] = true;
    }
    // 4. 0 when up, 1 on the first frame down, then one more per frame.
    return m_held[k];
}

void TKeyboard::reset() {
    m_held.fill(0);
    m_polled.fill(false);
}

void TKeyboard::restoreDefaults() {
    reset();
    m_fake.releaseAll();
    m_source = &m_fake;
    windowActive = {};
    disableWhenInactive = {};
    designMode = {};
    clearJoystickPolls = {};
}

TKeyboard& Keyboard() {
    static TKeyboard keyboard;
    return keyboard;
}

}  // namespace varno
