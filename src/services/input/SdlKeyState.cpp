// SDL scancodes to the key codes of scripts, and the key state read from SDL.
#include "services/input/SdlKeyState.h"

#include <SDL.h>

namespace varno {
namespace {

// One physical key: its scancode, the key code scripts use for it, and a second, general
// code it also counts for (0: none), as the left shift key is both 160 and 16.
struct TKeyMapping {
    SDL_Scancode scancode;
    std::uint8_t code;
    std::uint8_t general;
};

constexpr TKeyMapping kKeyMap[] = {
    {SDL_SCANCODE_BACKSPACE, 8, 0},
    {SDL_SCANCODE_TAB, 9, 0},
    {SDL_SCANCODE_CLEAR, 12, 0},
    {SDL_SCANCODE_RETURN, 13, 0},
    {SDL_SCANCODE_KP_ENTER, 13, 0},
    {SDL_SCANCODE_PAUSE, 19, 0},
    {SDL_SCANCODE_CAPSLOCK, 20, 0},
    {SDL_SCANCODE_LANG3, 21, 0},          // katakana
    {SDL_SCANCODE_INTERNATIONAL2, 21, 0}, // katakana / hiragana
    {SDL_SCANCODE_ESCAPE, 27, 0},
    {SDL_SCANCODE_INTERNATIONAL4, 28, 0}, // henkan (convert)
    {SDL_SCANCODE_INTERNATIONAL5, 29, 0}, // muhenkan (non-convert)
    {SDL_SCANCODE_SPACE, 32, 0},
    {SDL_SCANCODE_PAGEUP, 33, 0},
    {SDL_SCANCODE_PAGEDOWN, 34, 0},
    {SDL_SCANCODE_END, 35, 0},
    {SDL_SCANCODE_HOME, 36, 0},
    {SDL_SCANCODE_LEFT, 37, 0},
    {SDL_SCANCODE_UP, 38, 0},
    {SDL_SCANCODE_RIGHT, 39, 0},
    {SDL_SCANCODE_DOWN, 40, 0},
    {SDL_SCANCODE_SELECT, 41, 0},
    {SDL_SCANCODE_EXECUTE, 43, 0},
    {SDL_SCANCODE_PRINTSCREEN, 44, 0},
    {SDL_SCANCODE_INSERT, 45, 0},
    {SDL_SCANCODE_DELETE, 46, 0},
    {SDL_SCANCODE_HELP, 47, 0},
    {SDL_SCANCODE_0, 48, 0},
    {SDL_SCANCODE_1, 49, 0},
    {SDL_SCANCODE_2, 50, 0},
    {SDL_SCANCODE_3, 51, 0},
    {SDL_SCANCODE_4, 52, 0},
    {SDL_SCANCODE_5, 53, 0},
    {SDL_SCANCODE_6, 54, 0},
    {SDL_SCANCODE_7, 55, 0},
    {SDL_SCANCODE_8, 56, 0},
    {SDL_SCANCODE_9, 57, 0},
    {SDL_SCANCODE_A, 65, 0},
    {SDL_SCANCODE_B, 66, 0},
    {SDL_SCANCODE_C, 67, 0},
    {SDL_SCANCODE_D, 68, 0},
    {SDL_SCANCODE_E, 69, 0},
    {SDL_SCANCODE_F, 70, 0},
    {SDL_SCANCODE_G, 71, 0},
    {SDL_SCANCODE_H, 72, 0},
    {SDL_SCANCODE_I, 73, 0},
    {SDL_SCANCODE_J, 74, 0},
    {SDL_SCANCODE_K, 75, 0},
    {SDL_SCANCODE_L, 76, 0},
    {SDL_SCANCODE_M, 77, 0},
    {SDL_SCANCODE_N, 78, 0},
    {SDL_SCANCODE_O, 79, 0},
    {SDL_SCANCODE_P, 80, 0},
    {SDL_SCANCODE_Q, 81, 0},
    {SDL_SCANCODE_R, 82, 0},
    {SDL_SCANCODE_S, 83, 0},
    {SDL_SCANCODE_T, 84, 0},
    {SDL_SCANCODE_U, 85, 0},
    {SDL_SCANCODE_V, 86, 0},
    {SDL_SCANCODE_W, 87, 0},
    {SDL_SCANCODE_X, 88, 0},
    {SDL_SCANCODE_Y, 89, 0},
    {SDL_SCANCODE_Z, 90, 0},
    {SDL_SCANCODE_LGUI, 91, 0},
    {SDL_SCANCODE_RGUI, 92, 0},
    {SDL_SCANCODE_APPLICATION, 93, 0},
    {SDL_SCANCODE_SLEEP, 95, 0},
    {SDL_SCANCODE_KP_0, 96, 0},
    {SDL_SCANCODE_KP_1, 97, 0},
    {SDL_SCANCODE_KP_2, 98, 0},
    {SDL_SCANCODE_KP_3, 99, 0},
    {SDL_SCANCODE_KP_4, 100, 0},
    {SDL_SCANCODE_KP_5, 101, 0},
    {SDL_SCANCODE_KP_6, 102, 0},
    {SDL_SCANCODE_KP_7, 103, 0},
    {SDL_SCANCODE_KP_8, 104, 0},
    {SDL_SCANCODE_KP_9, 105, 0},
    {SDL_SCANCODE_KP_MULTIPLY, 106, 0},
    {SDL_SCANCODE_KP_PLUS, 107, 0},
    {SDL_SCANCODE_KP_COMMA, 108, 0},
    {SDL_SCANCODE_KP_MINUS, 109, 0},
    {SDL_SCANCODE_KP_PERIOD, 110, 0},
    {SDL_SCANCODE_KP_DIVIDE, 111, 0},
    {SDL_SCANCODE_F1, 112, 0},
    {SDL_SCANCODE_F2, 113, 0},
    {SDL_SCANCODE_F3, 114, 0},
    {SDL_SCANCODE_F4, 115, 0},
    {SDL_SCANCODE_F5, 116, 0},
    {SDL_SCANCODE_F6, 117, 0},
    {SDL_SCANCODE_F7, 118, 0},
    {SDL_SCANCODE_F8, 119, 0},
    {SDL_SCANCODE_F9, 120, 0},
    {SDL_SCANCODE_F10, 121, 0},
    {SDL_SCANCODE_F11, 122, 0},
    {SDL_SCANCODE_F12, 123, 0},
    {SDL_SCANCODE_F13, 124, 0},
    {SDL_SCANCODE_F14, 125, 0},
    {SDL_SCANCODE_F15, 126, 0},
    {SDL_SCANCODE_F16, 127, 0},
    {SDL_SCANCODE_F17, 128, 0},
    {SDL_SCANCODE_F18, 129, 0},
    {SDL_SCANCODE_F19, 130, 0},
    {SDL_SCANCODE_F20, 131, 0},
    {SDL_SCANCODE_F21, 132, 0},
    {SDL_SCANCODE_F22, 133, 0},
    {SDL_SCANCODE_F23, 134, 0},
    {SDL_SCANCODE_F24, 135, 0},
    {SDL_SCANCODE_NUMLOCKCLEAR, 144, 0},
    {SDL_SCANCODE_SCROLLLOCK, 145, 0},
    {SDL_SCANCODE_LSHIFT, 160, 16},
    {SDL_SCANCODE_RSHIFT, 161, 16},
    {SDL_SCANCODE_LCTRL, 162, 17},
    {SDL_SCANCODE_RCTRL, 163, 17},
    {SDL_SCANCODE_LALT, 164, 18},
    {SDL_SCANCODE_RALT, 165, 18},
    {SDL_SCANCODE_SEMICOLON, 186, 0},
    {SDL_SCANCODE_EQUALS, 187, 0},
    {SDL_SCANCODE_COMMA, 188, 0},
    {SDL_SCANCODE_MINUS, 189, 0},
    {SDL_SCANCODE_PERIOD, 190, 0},
    {SDL_SCANCODE_SLASH, 191, 0},
    {SDL_SCANCODE_GRAVE, 192, 0},
    {SDL_SCANCODE_LEFTBRACKET, 219, 0},
    {SDL_SCANCODE_BACKSLASH, 220, 0},
    {SDL_SCANCODE_INTERNATIONAL3, 220, 0},  // yen
    {SDL_SCANCODE_RIGHTBRACKET, 221, 0},
    {SDL_SCANCODE_APOSTROPHE, 222, 0},
    {SDL_SCANCODE_NONUSBACKSLASH, 226, 0},
    {SDL_SCANCODE_INTERNATIONAL1, 226, 0},  // ro
};

// The mouse buttons, which scripts read with the same key codes.
struct TButtonMapping {
    std::uint8_t code;
    std::uint32_t mask;
};

constexpr TButtonMapping kButtonMap[] = {
    {1, SDL_BUTTON_LMASK}, {2, SDL_BUTTON_RMASK}, {4, SDL_BUTTON_MMASK}, {5, SDL_BUTTON_X1MASK}, {6, SDL_BUTTON_X2MASK}};

}  // namespace

std::vector<std::int32_t> KeyCodesOfScancode(int scancode) {
    std::vector<std::int32_t> codes;
    for (const TKeyMapping& m : kKeyMap) {
        if (m.scancode != scancode) continue;
        codes.push_back(m.code);
        if (m.general != 0) codes.push_back(m.general);
    }
    return codes;
}

TSdlKeyState::TSdlKeyState() {
    for (const TKeyMapping& m : kKeyMap) {
        m_scancodes[m.code].push_back(m.scancode);
        if (m.general != 0) m_scancodes[m.general].push_back(m.scancode);
    }
}

bool TSdlKeyState::isDown(std::int32_t code) {
    if (code < 0 || code > 255) return false;
    for (const TButtonMapping& b : kButtonMap) {
        if (b.code == code) return (SDL_GetMouseState(nullptr, nullptr) & b.mask) != 0;
    }
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    if (state == nullptr) return false;
    for (const int scancode : m_scancodes[static_cast<std::size_t>(code)]) {
        if (scancode < count && state[scancode] != 0) return true;
    }
    return false;
}

}  // namespace varno
