// IKeyState: the platform's answer to "is this key down now", and a fake keyboard for tests and headless runs.
#pragma once

#include <array>
#include <cstdint>

namespace varno {

// Key codes are 0 .. 255 in the virtual-key numbering scripts use: 8 backspace, 9 tab,
// 13 enter, 16 shift, 17 control, 18 alt, 27 escape, 32 space, 33 .. 40 page up, page
// down, end, home, left, up, right, down, 45 insert, 46 delete, 48 .. 57 the digits,
// 65 .. 90 the letters, 96 .. 105 the keypad digits, 112 .. 135 F1 .. F24; 1, 2 and 4 are
// the left, right and middle mouse buttons.
class IKeyState {
public:
    virtual ~IKeyState() = default;
    // True while key code is held down. Codes outside 0 .. 255 are never down.
    virtual bool isDown(std::int32_t code) = 0;
};

// Keys pressed and released by hand: the keyboard of tests and of headless runs.
class TFakeKeyboard final : public IKeyState {
public:
    bool isDown(std::int32_t code) override { return code >= 0 && code < 256 && m_down[static_cast<std::size_t>(code)]; }
    void press(std::int32_t code) { set(code, true); }
    void release(std::int32_t code) { set(code, false); }
    void releaseAll() { m_down.fill(false); }

private:
    void set(std::int32_t code, bool down) {
        if (code >= 0 && code < 256) m_down[static_cast<std::size_t>(code)] = down;
    }
    std::array<bool, 256> m_down{};
};

}  // namespace varno
