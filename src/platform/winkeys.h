#pragma once
// Windows key codes (virtual-key codes), which the controls' KeyDown and KeyUp handlers receive,
// for the keys of a PC keyboard as Qt reports them.

#include <Qt>

namespace zimbrel {

namespace vk {
inline constexpr int Back = 8;
inline constexpr int Tab = 9;
inline constexpr int Return = 13;
inline constexpr int Shift = 16;
inline constexpr int Control = 17;
inline constexpr int Menu = 18; // Alt
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Delete = 46;
} // namespace vk

// The code of a key (the same for a key with and without Shift: "!" is the key 1), or 0 for keys
// a PC keyboard does not have.
int windowsKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);

} // namespace zimbrel
