#pragma once
// The generator's hotkey, set in the running desktop in one step (zimbrel-settings --shortcut).
//
// Every desktop keeps its own key bindings, in its own notation and store:
//   GNOME (and Unity, Budgie, Pantheon)  a custom keybinding in GSettings (media-keys), added to
//                                        the user's own list, with a path of ours
//   KDE Plasma 5 and 6                   the launch shortcut of zimbrel-generator.desktop in
//                                        kglobalaccel, over D-Bus, as System Settings makes it
//   sway, i3                             a bindsym line in a file of ours, included once at the end
//                                        of the user's config, then a reload
//   Xfce                                 /commands/custom/<keys> in xfconf
//   Cinnamon, MATE                       their custom keybindings in GSettings
// GSettings is changed with the gsettings command (and MATE's folder of bindings read with dconf):
// every desktop of those ships them, they need no library of their own in this program, and a
// missing schema comes back as a message rather than ending the program. Keys another binding
// already has are not taken over, unless forced.

#include <optional>
#include <string>
#include <vector>

namespace zimbrel::shortcut {

// Keys as users write them: modifiers Super (or Meta), Ctrl, Alt, Shift, then one key.
struct Keys
{
    bool super = false;
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
    std::string key; // the X key name: "p", "F5", "Print", "space", "Return"

    bool operator==(const Keys &other) const = default;
};

// "Super+Shift+P", "ctrl+alt+g", "Meta+F5". None, and `why`, for what is no such keys ("Super+",
// "Foo+P", a letter without a modifier).
std::optional<Keys> parseKeys(const std::string &text, std::string *why = nullptr);

// The keys as the user writes them ("Super+Shift+P").
std::string userNotation(const Keys &keys);
// GNOME's, Cinnamon's and Xfce's notation ("<Super><Shift>p"); MATE writes <Mod4> for Super.
std::string gtkNotation(const Keys &keys, bool mate = false);
// Reads any of those notations back.
std::optional<Keys> fromGtkNotation(const std::string &text);
// sway's and i3's ("Mod4+Shift+p").
std::string swayNotation(const Keys &keys);
// Qt's key code, as KDE's kglobalaccel keeps it (modifiers | key).
int qtKeyCode(const Keys &keys);
std::optional<Keys> fromQtKeyCode(int code);

enum class Desktop { Gnome, Kde, Sway, I3, Xfce, Cinnamon, Mate, Other };

// The running desktop: XDG_CURRENT_DESKTOP (its entries in order), or XDG_SESSION_DESKTOP, or
// DESKTOP_SESSION where that is empty.
Desktop desktopNamed(const std::string &current, const std::string &session, const std::string &desktopSession);
Desktop runningDesktop();
const char *desktopName(Desktop desktop);

// What --shortcut did or found: the one line to print, and the exit status.
struct Outcome
{
    int status = 0;
    std::string said;
};

// The command a binding runs: "zimbrel-generator" when that name finds the installed generator
// beside this program on the system's usual PATH, otherwise its full path (an installation under
// ~/.local before ~/.local/bin is on the session's PATH).
std::string generatorCommand();

// --shortcut KEYS (none: --shortcut none) and --shortcut alone.
Outcome bind(Desktop desktop, const std::optional<Keys> &keys, bool force, const std::string &command);
Outcome show(Desktop desktop);

// The whole of --shortcut [TEXT] [--force]; `text` empty for --shortcut alone.
Outcome run(const std::string &text, bool force);

} // namespace zimbrel::shortcut
