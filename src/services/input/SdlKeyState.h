// TSdlKeyState: the key state of the SDL keyboard and mouse, in the key codes scripts use.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "runtime/input/KeyState.h"

namespace varno {

// Answers isDown from SDL's keyboard state (kept current by the window's event loop) and,
// for the codes 1, 2, 4, 5 and 6, from its mouse buttons. One key code may stand for
// several physical keys (16 shift is either shift key, 13 enter either enter key); it is
// down while any of them is. Install it with Keyboard().setSource once SDL's video is up.
class TSdlKeyState final : public IKeyState {
public:
    TSdlKeyState();
    bool isDown(std::int32_t code) override;

private:
    std::array<std::vector<int>, 256> m_scancodes;  // per key code, the SDL scancodes behind it
};

// The key codes an SDL scancode (a USB usage number) stands for: the specific code first
// (160 left shift), then the general one (16 shift) when there is one. Empty for a key
// scripts have no code for.
std::vector<std::int32_t> KeyCodesOfScancode(int scancode);

}  // namespace varno
