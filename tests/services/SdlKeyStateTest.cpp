// SDL scancodes (USB usage numbers) to the key codes scripts use.
#include <gtest/gtest.h>

#include <vector>

#include "services/input/SdlKeyState.h"

namespace varno {
namespace {

TEST(SdlKeyStateTest, ScancodesGiveTheKeyCodesOfScripts) {
    struct TCase {
        int scancode;
        std::vector<std::int32_t> codes;
    };
    const TCase cases[] = {
        {80, {37}},        // left
        {82, {38}},        // up
        {79, {39}},        // right
        {81, {40}},        // down
        {44, {32}},        // space
        {40, {13}},        // return
        {88, {13}},        // keypad enter
        {4, {65}},         // A
        {29, {90}},        // Z
        {39, {48}},        // 0
        {30, {49}},        // 1
        {41, {27}},        // escape
        {58, {112}},       // F1
        {225, {160, 16}},  // left shift: itself and shift
        {228, {163, 17}},  // right control
        {0, {}},           // unknown
    };
    for (const TCase& c : cases) EXPECT_EQ(KeyCodesOfScancode(c.scancode), c.codes) << c.scancode;
}

TEST(SdlKeyStateTest, NoKeyIsDownWithoutAWindow) {
    TSdlKeyState keys;
    for (std::int32_t code : {0, 13, 37, 65, 255, -1, 256}) EXPECT_FALSE(keys.isDown(code)) << code;
}

}  // namespace
}  // namespace varno
