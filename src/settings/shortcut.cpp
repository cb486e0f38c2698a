#include "shortcut.h"

#include "core/environment.h"
#include "core/installation.h"
#include "core/settingslocation.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <map>

namespace zimbrel::shortcut {

// -- keys ---------------------------------------------------------------------------------------

namespace {

std::string lower(std::string text)
{
    for (char &c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Named keys as users write them (lower case, without blanks or underscores), and their X names.
const std::map<std::string, std::string> kNamedKeys = {
    {"space", "space"},
    {"return", "Return"},
    {"enter", "Return"},
    {"tab", "Tab"},
    {"escape", "Escape"},
    {"esc", "Escape"},
    {"backspace", "BackSpace"},
    {"insert", "Insert"},
    {"ins", "Insert"},
    {"delete", "Delete"},
    {"del", "Delete"},
    {"home", "Home"},
    {"end", "End"},
    {"pageup", "Page_Up"},
    {"prior", "Page_Up"},
    {"pagedown", "Page_Down"},
    {"next", "Page_Down"},
    {"up", "Up"},
    {"down", "Down"},
    {"left", "Left"},
    {"right", "Right"},
    {"print", "Print"},
    {"printscreen", "Print"},
    {"pause", "Pause"},
    {"minus", "minus"},
    {"equal", "equal"},
    {"comma", "comma"},
    {"period", "period"},
    {"slash", "slash"},
    {"semicolon", "semicolon"},
    {"apostrophe", "apostrophe"},
    {"grave", "grave"},
    {"backslash", "backslash"},
    {"bracketleft", "bracketleft"},
    {"bracketright", "bracketright"},
};

// The X name of a key as written, or empty.
std::string keyName(const std::string &written)
{
    std::string folded;
    for (char c : lower(written)) {
        if (c != '_' && c != ' ')
            folded += c;
    }
    if (folded.size() == 1 && std::isalnum(static_cast<unsigned char>(folded[0])))
        return folded;
    if (folded.size() >= 2 && folded.size() <= 3 && folded[0] == 'f'
        && std::all_of(folded.begin() + 1, folded.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        const int n = std::atoi(folded.c_str() + 1);
        if (n >= 1 && n <= 35)
            return "F" + std::to_string(n);
    }
    const auto named = kNamedKeys.find(folded);
    return named == kNamedKeys.end() ? std::string() : named->second;
}

// Keys that may stand alone: nobody types them in text.
bool standsAlone(const std::string &key)
{
    return (key.size() > 1 && key[0] == 'F' && std::isdigit(static_cast<unsigned char>(key[1]))) || key == "Print"
        || key == "Pause";
}

// Sets the modifier a name stands for; false for no modifier.
bool addModifier(Keys &keys, const std::string &name)
{
    const std::string n = lower(name);
    if (n == "super" || n == "meta" || n == "win" || n == "mod4" || n == "logo" || n == "hyper")
        keys.super = true;
    else if (n == "ctrl" || n == "control" || n == "primary")
        keys.ctrl = true;
    else if (n == "alt" || n == "mod1")
        keys.alt = true;
    else if (n == "shift")
        keys.shift = true;
    else
        return false;
    return true;
}

} // namespace

std::optional<Keys> parseKeys(const std::string &text, std::string *why)
{
    const auto fail = [why](const std::string &reason) -> std::optional<Keys> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    Keys keys;
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t plus = text.find('+', start);
        parts.push_back(text.substr(start, plus == std::string::npos ? std::string::npos : plus - start));
        if (plus == std::string::npos)
            break;
        start = plus + 1;
    }
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        if (!addModifier(keys, parts[i]))
            return fail("\"" + parts[i] + "\" is no modifier (Super, Ctrl, Alt, Shift)");
    }
    if (parts.back().empty())
        return fail("no key after the modifiers");
    keys.key = keyName(parts.back());
    if (keys.key.empty())
        return fail("\"" + parts.back()
                    + "\" is no key this knows (a letter, a digit, F1 to F35, or a named key "
                      "such as Space, Print, Home)");
    if (!keys.super && !keys.ctrl && !keys.alt && !standsAlone(keys.key))
        return fail("a shortcut needs Super, Ctrl or Alt, or it would take the key from typing");
    return keys;
}

namespace {

// How a notation writes the modifiers held: each name between `before` and `after`, in the order
// Super, Ctrl, Alt, Shift.
struct ModifierSpelling
{
    const char *before;
    const char *after;
    std::array<const char *, 4> names;
};

std::string modifiersIn(const Keys &keys, const ModifierSpelling &spelling)
{
    const std::array<bool, 4> held = {keys.super, keys.ctrl, keys.alt, keys.shift};
    std::string text;
    for (size_t i = 0; i < held.size(); ++i) {
        if (held[i])
            text.append(spelling.before).append(spelling.names[i]).append(spelling.after);
    }
    return text;
}

} // namespace

std::string userNotation(const Keys &keys)
{
    std::string key = keys.key;
    if (key.size() == 1)
        key[0] = char(std::toupper(static_cast<unsigned char>(key[0])));
    else if (key == "space")
        key = "Space";
    return modifiersIn(keys, {"", "+", {"Super", "Ctrl", "Alt", "Shift"}}) + key;
}

std::string gtkNotation(const Keys &keys, bool mate)
{
    // MATE's bindings are written the older GTK way, with <Mod4> and <Control>.
    const ModifierSpelling spelling = mate ? ModifierSpelling{"<", ">", {"Mod4", "Control", "Alt", "Shift"}}
                                           : ModifierSpelling{"<", ">", {"Super", "Primary", "Alt", "Shift"}};
    return modifiersIn(keys, spelling) + keys.key;
}

std::optional<Keys> fromGtkNotation(const std::string &text)
{
    Keys keys;
    size_t at = 0;
    while (at < text.size() && text[at] == '<') {
        const size_t close = text.find('>', at);
        if (close == std::string::npos || !addModifier(keys, text.substr(at + 1, close - at - 1)))
            return std::nullopt;
        at = close + 1;
    }
    keys.key = keyName(text.substr(at));
    if (keys.key.empty())
        return std::nullopt;
    return keys;
}

std::string swayNotation(const Keys &keys)
{
    return modifiersIn(keys, {"", "+", {"Mod4", "Control", "Mod1", "Shift"}}) + keys.key;
}

namespace {

// Qt's codes (Qt::Key and Qt::KeyboardModifier), which kglobalaccel keeps.
constexpr int kQtShift = 0x02000000;
constexpr int kQtCtrl = 0x04000000;
constexpr int kQtAlt = 0x08000000;
constexpr int kQtMeta = 0x10000000;
const std::map<std::string, int> kQtKeys = {
    {"space", 0x20},           {"Return", 0x01000004},  {"Tab", 0x01000001},       {"Escape", 0x01000000},
    {"BackSpace", 0x01000003}, {"Insert", 0x01000006},  {"Delete", 0x01000007},    {"Home", 0x01000010},
    {"End", 0x01000011},       {"Page_Up", 0x01000016}, {"Page_Down", 0x01000017}, {"Left", 0x01000012},
    {"Up", 0x01000013},        {"Right", 0x01000014},   {"Down", 0x01000015},      {"Print", 0x01000009},
    {"Pause", 0x01000008},     {"minus", 0x2d},         {"equal", 0x3d},           {"comma", 0x2c},
    {"period", 0x2e},          {"slash", 0x2f},         {"semicolon", 0x3b},       {"apostrophe", 0x27},
    {"grave", 0x60},           {"backslash", 0x5c},     {"bracketleft", 0x5b},     {"bracketright", 0x5d},
};

} // namespace

int qtKeyCode(const Keys &keys)
{
    int code = 0;
    if (keys.key.size() == 1)
        code = std::toupper(static_cast<unsigned char>(keys.key[0]));
    else if (keys.key[0] == 'F' && std::isdigit(static_cast<unsigned char>(keys.key[1])))
        code = 0x01000030 + std::atoi(keys.key.c_str() + 1) - 1;
    else if (const auto named = kQtKeys.find(keys.key); named != kQtKeys.end())
        code = named->second;
    return code | (keys.super ? kQtMeta : 0) | (keys.ctrl ? kQtCtrl : 0) | (keys.alt ? kQtAlt : 0)
        | (keys.shift ? kQtShift : 0);
}

std::optional<Keys> fromQtKeyCode(int code)
{
    Keys keys;
    keys.super = code & kQtMeta;
    keys.ctrl = code & kQtCtrl;
    keys.alt = code & kQtAlt;
    keys.shift = code & kQtShift;
    const int key = code & ~(kQtMeta | kQtCtrl | kQtAlt | kQtShift | 0x20000000);
    if (key >= 'A' && key <= 'Z')
        keys.key = std::string(1, char(std::tolower(key)));
    else if (key >= '0' && key <= '9')
        keys.key = std::string(1, char(key));
    else if (key >= 0x01000030 && key < 0x01000030 + 35)
        keys.key = "F" + std::to_string(key - 0x01000030 + 1);
    for (const auto &[name, value] : kQtKeys) {
        if (value == key)
            keys.key = name;
    }
    if (keys.key.empty())
        return std::nullopt;
    return keys;
}

// -- desktops -----------------------------------------------------------------------------------

Desktop desktopNamed(const std::string &current, const std::string &session, const std::string &desktopSession)
{
    const std::string names = !current.empty() ? current : !session.empty() ? session : desktopSession;
    size_t start = 0;
    while (start <= names.size()) {
        const size_t end = std::min(names.find(':', start), names.size());
        const std::string name = lower(names.substr(start, end - start));
        if (name == "gnome" || name == "gnome-classic" || name == "gnome-flashback" || name == "unity"
            || name == "budgie" || name == "budgie-desktop" || name == "pantheon" || name == "ubuntu")
            return Desktop::Gnome;
        if (name == "kde" || name == "plasma" || name == "plasmawayland" || name == "plasmax11")
            return Desktop::Kde;
        if (name == "sway")
            return Desktop::Sway;
        if (name == "i3")
            return Desktop::I3;
        if (name == "xfce" || name == "xfce4" || name == "xubuntu")
            return Desktop::Xfce;
        if (name == "x-cinnamon" || name == "cinnamon" || name == "cinnamon2d")
            return Desktop::Cinnamon;
        if (name == "mate")
            return Desktop::Mate;
        start = end + 1;
    }
    return Desktop::Other;
}

Desktop runningDesktop()
{
    return desktopNamed(environmentVariable("XDG_CURRENT_DESKTOP"), environmentVariable("XDG_SESSION_DESKTOP"),
                        environmentVariable("DESKTOP_SESSION"));
}

const char *desktopName(Desktop desktop)
{
    switch (desktop) {
    case Desktop::Gnome:
        return "GNOME";
    case Desktop::Kde:
        return "KDE Plasma";
    case Desktop::Sway:
        return "sway";
    case Desktop::I3:
        return "i3";
    case Desktop::Xfce:
        return "Xfce";
    case Desktop::Cinnamon:
        return "Cinnamon";
    case Desktop::Mate:
        return "MATE";
    case Desktop::Other:
        break;
    }
    return "this desktop";
}

std::string generatorCommand()
{
    const std::string beside = programFolder() + "/zimbrel-generator";
    const std::string folder = programFolder();
    const bool usual = folder == "/usr/bin" || folder == "/usr/local/bin" || folder == "/bin";
    return usual && findOnPath("zimbrel-generator") == beside ? std::string("zimbrel-generator") : beside;
}

namespace {

constexpr char kName[] = "Zimbrel Password";

// -- running the desktops' own commands --------------------------------------------------------

struct Ran
{
    bool started = false;
    int status = -1;
    std::string out;
    std::string err;
    bool ok() const { return started && status == 0; }
};

Ran runTool(const std::string &program, const std::vector<std::string> &arguments,
            const std::vector<std::pair<const char *, const char *>> &environment = {})
{
    Ran ran;
    QProcess process;
    if (!environment.empty()) {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        for (const auto &[name, value] : environment)
            variables.insert(QString::fromLatin1(name), QString::fromLatin1(value));
        process.setProcessEnvironment(variables);
    }
    QStringList list;
    for (const std::string &argument : arguments)
        list << QString::fromStdString(argument);
    process.start(QString::fromStdString(program), list);
    if (!process.waitForStarted(5000))
        return ran;
    ran.started = true;
    process.closeWriteChannel();
    if (!process.waitForFinished(15000)) {
        process.kill();
        process.waitForFinished();
        return ran;
    }
    ran.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    ran.out = process.readAllStandardOutput().trimmed().toStdString();
    ran.err = process.readAllStandardError().trimmed().toStdString();
    return ran;
}

// A GVariant text of a string: in single quotes, with quotes and backslashes escaped.
std::string quoted(const std::string &text)
{
    std::string out = "'";
    for (char c : text) {
        if (c == '\'' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "'";
}

// The strings of a GVariant text of type "as" ("@as []", "['a', 'b']"); nothing when it is not one.
std::optional<std::vector<std::string>> stringList(const std::string &text)
{
    std::vector<std::string> list;
    size_t at = text.find('[');
    if (at == std::string::npos)
        return std::nullopt;
    for (++at; at < text.size();) {
        const char c = text[at];
        if (c == ']')
            return list;
        if (c == ' ' || c == ',') {
            ++at;
            continue;
        }
        if (c != '\'' && c != '"')
            return std::nullopt;
        std::string item;
        for (++at; at < text.size() && text[at] != c; ++at) {
            if (text[at] == '\\' && at + 1 < text.size())
                ++at;
            item += text[at];
        }
        list.push_back(item);
        ++at;
    }
    return std::nullopt;
}

// The string of a GVariant text of type "s".
std::string stringValue(const std::string &text)
{
    const std::optional<std::vector<std::string>> list = stringList("[" + text + "]");
    return list && list->size() == 1 ? list->front() : std::string();
}

std::string listText(const std::vector<std::string> &list)
{
    std::string text = "[";
    for (size_t i = 0; i < list.size(); ++i)
        text += (i ? ", " : "") + quoted(list[i]);
    return text + "]";
}

// -- GSettings desktops: GNOME, Cinnamon, MATE ------------------------------------------------

struct GSettingsDesktop
{
    Desktop desktop;
    std::string listSchema; // where the list of custom bindings is; empty: MATE, whose folder is it
    std::string listKey;
    bool listHoldsPaths; // GNOME lists paths, Cinnamon names
    std::string base;    // the folder of the bindings, with a slash at the end
    std::string schema;  // a binding's relocatable schema
    std::string commandKey;
    bool bindingIsList; // Cinnamon keeps several keys a binding
    bool mate;

    std::string ourName() const { return "zimbrel-generator"; }
    std::string pathOf(const std::string &name) const { return base + name + "/"; }
    std::string at(const std::string &path) const { return schema + ":" + path; }
    std::string ourPath() const { return pathOf(ourName()); }
    // The list entry that stands for a path.
    std::string entryOf(const std::string &path) const
    {
        return listHoldsPaths ? path : path.substr(base.size(), path.size() - base.size() - 1);
    }
};

const GSettingsDesktop kGnome{Desktop::Gnome,
                              "org.gnome.settings-daemon.plugins.media-keys",
                              "custom-keybindings",
                              true,
                              "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/",
                              "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding",
                              "command",
                              false,
                              false};
const GSettingsDesktop kCinnamon{Desktop::Cinnamon,
                                 "org.cinnamon.desktop.keybindings",
                                 "custom-list",
                                 false,
                                 "/org/cinnamon/desktop/keybindings/custom-keybindings/",
                                 "org.cinnamon.desktop.keybindings.custom-keybinding",
                                 "command",
                                 true,
                                 false};
const GSettingsDesktop kMate{
    Desktop::Mate, {},    {},  true, "/org/mate/desktop/keybindings/", "org.mate.control-center.keybinding",
    "action",      false, true};

class GSettingsBindings
{
public:
    explicit GSettingsBindings(const GSettingsDesktop &d)
        : m_d(d)
    { }

    Outcome show()
    {
        std::string why;
        const std::optional<std::vector<std::string>> paths = customPaths(why);
        if (!paths)
            return {1, why};
        const bool ours = std::find(paths->begin(), paths->end(), m_d.ourPath()) != paths->end();
        const std::optional<Keys> keys = ours ? bindingAt(m_d.ourPath()) : std::nullopt;
        if (!keys)
            return {0, std::string("no shortcut starts zimbrel-generator on ") + desktopName(m_d.desktop)};
        return {0,
                userNotation(*keys) + " starts " + stringValue(get(m_d.at(m_d.ourPath()), m_d.commandKey)) + " ("
                    + where() + ")"};
    }

    Outcome bind(const Keys &keys, bool force, const std::string &command)
    {
        std::string why;
        std::optional<std::vector<std::string>> paths = customPaths(why);
        if (!paths)
            return {1, why};
        for (const std::string &path : *paths) {
            if (path == m_d.ourPath() || bindingAt(path) != keys)
                continue;
            if (!force) {
                std::string said = userNotation(keys) + " already starts \"";
                said += stringValue(get(m_d.at(path), "name"));
                said += std::string("\" (") + desktopName(m_d.desktop) + " shortcut ";
                said += path + "); --force takes it over";
                return {1, said};
            }
            set(m_d.at(path), "binding", m_d.bindingIsList ? "@as []" : "''");
        }
        const std::string at = m_d.at(m_d.ourPath());
        const std::string binding =
            m_d.bindingIsList ? listText({gtkNotation(keys, m_d.mate)}) : quoted(gtkNotation(keys, m_d.mate));
        if (!set(at, "name", quoted(kName), &why) || !set(at, m_d.commandKey, quoted(command), &why)
            || !set(at, "binding", binding, &why))
            return {1, why};
        if (!m_d.listSchema.empty() && std::find(paths->begin(), paths->end(), m_d.ourPath()) == paths->end()) {
            std::optional<std::vector<std::string>> list = rawList();
            list->push_back(m_d.entryOf(m_d.ourPath()));
            if (!set(m_d.listSchema, m_d.listKey, listText(*list), &why))
                return {1, why};
        }
        return {0, userNotation(keys) + " starts " + command + " now (" + where() + ")"};
    }

    Outcome remove()
    {
        std::string why;
        const std::optional<std::vector<std::string>> paths = customPaths(why);
        if (!paths)
            return {1, why};
        if (!m_d.listSchema.empty()) {
            std::vector<std::string> list = *rawList();
            list.erase(std::remove(list.begin(), list.end(), m_d.entryOf(m_d.ourPath())), list.end());
            if (!set(m_d.listSchema, m_d.listKey, listText(list), &why))
                return {1, why};
        }
        for (const char *key : {"name", "binding"})
            runTool("gsettings", {"reset", m_d.at(m_d.ourPath()), key});
        runTool("gsettings", {"reset", m_d.at(m_d.ourPath()), m_d.commandKey});
        return {0, std::string("no shortcut starts zimbrel-generator on ") + desktopName(m_d.desktop) + " now"};
    }

private:
    std::string where() const { return std::string(desktopName(m_d.desktop)) + " custom shortcut " + m_d.ourPath(); }

    std::string get(const std::string &schema, const std::string &key)
    {
        const Ran ran = runTool("gsettings", {"get", schema, key});
        return ran.ok() ? ran.out : std::string();
    }

    bool set(const std::string &schema, const std::string &key, const std::string &value, std::string *why = nullptr)
    {
        const Ran ran = runTool("gsettings", {"set", schema, key, value});
        if (!ran.ok() && why)
            *why =
                "gsettings could not set " + key + " of " + schema + ": " + (ran.started ? ran.err : "not installed");
        return ran.ok();
    }

    // The list as stored (paths for GNOME, names for Cinnamon).
    std::optional<std::vector<std::string>> rawList()
    {
        const Ran ran = runTool("gsettings", {"get", m_d.listSchema, m_d.listKey});
        return ran.ok() ? stringList(ran.out) : std::nullopt;
    }

    // The paths of the custom bindings there are; none (and why) when the desktop's settings
    // cannot be read.
    std::optional<std::vector<std::string>> customPaths(std::string &why)
    {
        std::vector<std::string> paths;
        if (m_d.listSchema.empty()) {
            // MATE finds its custom bindings by the folders under its base; ours may be one.
            const Ran schema = runTool("gsettings", {"list-keys", m_d.at(m_d.ourPath())});
            if (!schema.ok()) {
                why = notInstalled(m_d.schema, schema);
                return std::nullopt;
            }
            const Ran listed = runTool("dconf", {"list", m_d.base});
            size_t start = 0;
            while (listed.ok() && start < listed.out.size()) {
                const size_t end = std::min(listed.out.find('\n', start), listed.out.size());
                const std::string entry = listed.out.substr(start, end - start);
                if (!entry.empty() && entry.back() == '/')
                    paths.push_back(m_d.base + entry);
                start = end + 1;
            }
            if (std::find(paths.begin(), paths.end(), m_d.ourPath()) == paths.end())
                paths.push_back(m_d.ourPath());
            return paths;
        }
        const Ran ran = runTool("gsettings", {"get", m_d.listSchema, m_d.listKey});
        const std::optional<std::vector<std::string>> list = ran.ok() ? stringList(ran.out) : std::nullopt;
        if (!list) {
            why = notInstalled(m_d.listSchema, ran);
            return std::nullopt;
        }
        for (const std::string &entry : *list)
            paths.push_back(m_d.listHoldsPaths ? entry : m_d.pathOf(entry));
        return paths;
    }

    std::string notInstalled(const std::string &schema, const Ran &ran) const
    {
        return std::string("cannot read ") + desktopName(m_d.desktop) + "'s shortcuts (" + schema
            + "): " + (ran.started ? ran.err : "gsettings is not installed");
    }

    std::optional<Keys> bindingAt(const std::string &path)
    {
        const std::string value = get(m_d.at(path), "binding");
        if (m_d.bindingIsList) {
            const std::optional<std::vector<std::string>> list = stringList(value);
            return list && !list->empty() ? fromGtkNotation(list->front()) : std::nullopt;
        }
        return fromGtkNotation(stringValue(value));
    }

    const GSettingsDesktop &m_d;
};

// -- KDE Plasma: kglobalaccel ------------------------------------------------------------------

// A key sequence as kglobalaccel passes it over D-Bus: up to four key codes.
struct KeySequence
{
    QList<int> keys;
};

QDBusArgument &operator<<(QDBusArgument &argument, const KeySequence &sequence)
{
    argument.beginStructure();
    QList<int> four = sequence.keys;
    while (four.size() < 4)
        four.append(0);
    argument << four;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, KeySequence &sequence)
{
    argument.beginStructure();
    argument >> sequence.keys;
    argument.endStructure();
    return argument;
}

// How keys are compared when looking for who has them: kglobalaccel's "equal".
struct MatchType
{
    int type = 0;
};

QDBusArgument &operator<<(QDBusArgument &argument, const MatchType &match)
{
    argument.beginStructure();
    argument << match.type;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, MatchType &match)
{
    argument.beginStructure();
    argument >> match.type;
    argument.endStructure();
    return argument;
}

// What kglobalaccel says of a shortcut that has some keys.
struct ShortcutInfo
{
    QString contextUnique, contextFriendly, componentUnique, componentFriendly, actionUnique, actionFriendly;
    QList<int> keys, defaultKeys;
};

QDBusArgument &operator<<(QDBusArgument &argument, const ShortcutInfo &info)
{
    argument.beginStructure();
    argument << info.contextUnique << info.contextFriendly << info.componentUnique << info.componentFriendly
             << info.actionUnique << info.actionFriendly << info.keys << info.defaultKeys;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, ShortcutInfo &info)
{
    argument.beginStructure();
    argument >> info.contextUnique >> info.contextFriendly >> info.componentUnique >> info.componentFriendly
        >> info.actionUnique >> info.actionFriendly >> info.keys >> info.defaultKeys;
    argument.endStructure();
    return argument;
}

} // namespace

} // namespace zimbrel::shortcut

Q_DECLARE_METATYPE(zimbrel::shortcut::KeySequence)
Q_DECLARE_METATYPE(zimbrel::shortcut::MatchType)
Q_DECLARE_METATYPE(zimbrel::shortcut::ShortcutInfo)

namespace zimbrel::shortcut {

namespace {

class KdeBindings
{
public:
    KdeBindings()
        : m_kga(QStringLiteral("org.kde.kglobalaccel"), QStringLiteral("/kglobalaccel"),
                QStringLiteral("org.kde.KGlobalAccel"), QDBusConnection::sessionBus())
    {
        qDBusRegisterMetaType<KeySequence>();
        qDBusRegisterMetaType<QList<KeySequence>>();
        qDBusRegisterMetaType<MatchType>();
        qDBusRegisterMetaType<ShortcutInfo>();
        qDBusRegisterMetaType<QList<ShortcutInfo>>();
    }

    Outcome show()
    {
        if (!m_kga.isValid())
            return {1, unreachable()};
        const QDBusReply<QList<KeySequence>> reply = m_kga.call(QStringLiteral("shortcutKeys"), actionId());
        const std::optional<Keys> keys =
            reply.isValid() && !reply.value().isEmpty() && !reply.value().front().keys.isEmpty()
            ? fromQtKeyCode(reply.value().front().keys.front())
            : std::nullopt;
        if (!keys)
            return {0, "no shortcut starts zimbrel-generator on KDE Plasma"};
        return {0, userNotation(*keys) + " starts zimbrel-generator (" + where() + ")"};
    }

    Outcome bind(const Keys &keys, bool force)
    {
        if (!m_kga.isValid())
            return {1, unreachable()};
        const KeySequence sequence{{qtKeyCode(keys)}};
        const QDBusReply<QList<ShortcutInfo>> holders = m_kga.call(
            QStringLiteral("globalShortcutsByKey"), QVariant::fromValue(sequence), QVariant::fromValue(MatchType{}));
        for (const ShortcutInfo &holder : holders.isValid() ? holders.value() : QList<ShortcutInfo>()) {
            if (holder.componentUnique == QLatin1String(kComponent))
                continue;
            if (!force)
                return {1,
                        userNotation(keys) + " already belongs to \"" + holder.actionFriendly.toStdString() + "\" of "
                            + holder.componentFriendly.toStdString() + " (KDE Plasma); --force takes it over"};
            const QStringList theirs{holder.componentUnique, holder.actionUnique, holder.componentFriendly,
                                     holder.actionFriendly};
            m_kga.call(QStringLiteral("setForeignShortcutKeys"), theirs, QVariant::fromValue(QList<KeySequence>()));
        }
        m_kga.call(QStringLiteral("doRegister"), actionId());
        const QDBusReply<QList<KeySequence>> set =
            m_kga.call(QStringLiteral("setShortcutKeys"), actionId(), QVariant::fromValue(QList<KeySequence>{sequence}),
                       uint(kNoAutoloading));
        if (!set.isValid())
            return {1, "kglobalaccel refused the shortcut: " + set.error().message().toStdString()};
        return {0, userNotation(keys) + " starts zimbrel-generator now (" + where() + ")"};
    }

    Outcome remove()
    {
        if (!m_kga.isValid())
            return {1, unreachable()};
        m_kga.call(QStringLiteral("setShortcutKeys"), actionId(), QVariant::fromValue(QList<KeySequence>()),
                   uint(kNoAutoloading));
        m_kga.call(QStringLiteral("unregister"), QString::fromLatin1(kComponent), QStringLiteral("_launch"));
        return {0, "no shortcut starts zimbrel-generator on KDE Plasma now"};
    }

private:
    // The launch action of the generator's desktop file, as System Settings names it.
    static constexpr char kComponent[] = "zimbrel-generator.desktop";
    static constexpr uint kNoAutoloading = 0x4;

    static QStringList actionId()
    {
        return {QString::fromLatin1(kComponent), QStringLiteral("_launch"), QString::fromLatin1(kName),
                QString::fromLatin1(kName)};
    }

    static std::string where() { return std::string("KDE global shortcut of ") + kComponent; }

    std::string unreachable() const
    {
        return "cannot reach KDE's kglobalaccel on the session bus: " + m_kga.lastError().message().toStdString();
    }

    QDBusInterface m_kga;
};

// -- sway and i3: a file of ours, included from the user's config -----------------------------

class WmConfigBindings
{
public:
    explicit WmConfigBindings(Desktop desktop)
        : m_sway(desktop == Desktop::Sway)
    {
        const std::string config = userConfigHome();
        const char *home = std::getenv("HOME");
        const std::string name = m_sway ? "sway" : "i3";
        const std::string dotted = std::string(home ? home : "") + "/." + name;
        const std::string folder = config + '/' + name;
        for (const std::string &candidate : {dotted + "/config", folder + "/config"}) {
            if (m_config.empty() && QFileInfo::exists(QString::fromStdString(candidate)))
                m_config = candidate;
        }
        if (m_config.empty())
            m_config = config + "/" + name + "/config";
        m_ours = config + "/zimbrel/" + name + ".conf";
    }

    Outcome show()
    {
        const std::optional<Keys> keys = boundInOurs();
        if (!keys)
            return {0, std::string("no shortcut starts zimbrel-generator in ") + m_config};
        return {0, userNotation(*keys) + " starts zimbrel-generator (" + m_ours + ", included from " + m_config + ")"};
    }

    Outcome bind(const Keys &keys, bool force, const std::string &command)
    {
        if (!force) {
            if (const std::string line = userLineFor(keys); !line.empty())
                return {1,
                        userNotation(keys) + " is bound in " + m_config + " already (" + line
                            + "); --force binds it to zimbrel-generator after it"};
        }
        return write("bindsym " + swayNotation(keys) + " exec " + command + "\n",
                     userNotation(keys) + " starts " + command + " now");
    }

    Outcome remove() { return write({}, "no shortcut starts zimbrel-generator now"); }

private:
    Outcome write(const std::string &ours, const std::string &said)
    {
        const QString config = QString::fromStdString(m_config);
        QByteArray before;
        if (QFile file(config); file.open(QIODevice::ReadOnly)) {
            before = file.readAll();
        } else if (QFile defaults(QString::fromLatin1(m_sway ? "/etc/sway/config" : "/etc/i3/config"));
                   defaults.open(QIODevice::ReadOnly)) {
            // A user without a config of their own runs the system's; a new one starts from it,
            // or the system's bindings would be gone.
            before = defaults.readAll();
        }
        QByteArray oursBefore;
        if (QFile file(QString::fromStdString(m_ours)); file.open(QIODevice::ReadOnly))
            oursBefore = file.readAll();
        const QByteArray include = "include " + QByteArray::fromStdString(m_ours) + "\n";
        QByteArray after = before;
        if (!before.split('\n').contains(include.trimmed())) {
            if (!after.isEmpty() && !after.endsWith('\n'))
                after += '\n';
            after += "\n# zimbrel-settings --shortcut keeps the generator's key in this file.\n" + include;
        }
        std::string why = makePrivateFolders(QFileInfo(QString::fromStdString(m_ours)).path().toStdString());
        if (why.empty())
            why = makePrivateFolders(QFileInfo(config).path().toStdString());
        if (why.empty()
            && (!save(m_ours, QByteArray::fromStdString(ours)) || (after != before && !save(m_config, after))))
            why = "cannot write " + (after != before ? m_config : m_ours);
        if (!why.empty())
            return {1, why};
        // sway checks its config first: one it would refuse is put back as it was. (sway 1.7 sets
        // up a backend even to check a config: a headless one needs no seat and no screen.)
        if (m_sway) {
            const Ran check = runTool("sway", {"-C", "-c", m_config},
                                      {{"WLR_BACKENDS", "headless"},
                                       {"WLR_LIBINPUT_NO_DEVICES", "1"},
                                       {"WLR_RENDERER", "pixman"},
                                       {"WAYLAND_DISPLAY", ""}});
            if (check.started && check.status != 0) {
                save(m_ours, oursBefore);
                if (after != before)
                    save(m_config, before);
                return {1, "sway would refuse " + m_config + " with it (" + check.err + "); left as it was"};
            }
        }
        std::string reloaded;
        if (std::getenv(m_sway ? "SWAYSOCK" : "I3SOCK")) {
            const Ran reload = runTool(m_sway ? "swaymsg" : "i3-msg", {"reload"});
            reloaded = reload.ok() ? ", reloaded" : ", not reloaded: " + reload.err;
        }
        return {0, said + " (" + m_ours + ", included from " + m_config + reloaded + ")"};
    }

    static bool save(const std::string &path, const QByteArray &bytes)
    {
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
    }

    // The keys of a bindsym line ("bindsym --release $mod+Shift+p exec ..."), with the config's
    // variables put in.
    std::optional<Keys> keysOf(const std::string &line, const std::map<std::string, std::string> &variables) const
    {
        size_t at = line.find_first_not_of(" \t");
        if (at == std::string::npos || line.compare(at, 8, "bindsym ") != 0)
            return std::nullopt;
        at += 8;
        std::string combo;
        while (at < line.size()) {
            const size_t start = line.find_first_not_of(" \t", at);
            if (start == std::string::npos)
                return std::nullopt;
            const size_t end = std::min(line.find_first_of(" \t", start), line.size());
            combo = line.substr(start, end - start);
            at = end;
            if (combo.rfind("--", 0) != 0)
                break;
        }
        for (const auto &[name, value] : variables) {
            for (size_t found; (found = combo.find(name)) != std::string::npos;)
                combo.replace(found, name.size(), value);
        }
        std::optional<Keys> keys = parseKeys(combo);
        return keys;
    }

    // The user's own line that binds `keys`, if any.
    std::string userLineFor(const Keys &keys) const
    {
        QFile file(QString::fromStdString(m_config));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        std::map<std::string, std::string> variables;
        for (const QByteArray &raw : file.readAll().split('\n')) {
            std::string line = raw.trimmed().toStdString();
            if (line.rfind("set $", 0) == 0) {
                const size_t space = line.find(' ', 4);
                if (space != std::string::npos)
                    variables[line.substr(4, space - 4)] = line.substr(line.find_first_not_of(' ', space));
            }
            if (keysOf(line, variables) == keys)
                return line;
        }
        return {};
    }

    std::optional<Keys> boundInOurs() const
    {
        QFile file(QString::fromStdString(m_ours));
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (std::optional<Keys> keys = keysOf(line.toStdString(), {}))
                return keys;
        }
        return std::nullopt;
    }

    bool m_sway;
    std::string m_config;
    std::string m_ours;
};

// -- Xfce: xfconf -------------------------------------------------------------------------------

class XfceBindings
{
public:
    Outcome show()
    {
        std::string why;
        const std::optional<std::vector<Entry>> entries = custom(why);
        if (!entries)
            return {1, why};
        for (const Entry &entry : *entries) {
            if (ours(entry))
                return {0, userNotation(*entry.keys) + " starts " + entry.command + " (" + where(entry) + ")"};
        }
        return {0, "no shortcut starts zimbrel-generator on Xfce"};
    }

    Outcome bind(const Keys &keys, bool force, const std::string &command)
    {
        std::string why;
        const std::optional<std::vector<Entry>> entries = custom(why);
        if (!entries)
            return {1, why};
        for (const Entry &entry : *entries) {
            if (!ours(entry) && entry.keys == keys && !force)
                return {1,
                        userNotation(keys) + " already starts \"" + entry.command + "\" (Xfce, " + entry.property
                            + "); --force takes it over"};
        }
        // Xfce uses its custom shortcuts only once they override its defaults; the first change
        // copies the defaults there, as its own settings dialog does.
        if (query({"-p", "/commands/custom/override"}).out != "true") {
            const Ran defaults = query({"-p", "/commands/default", "-l", "-v"});
            for (const Entry &entry : parseListing(defaults.out)) {
                const std::string property =
                    "/commands/custom" + entry.property.substr(std::string("/commands/default").size());
                query({"-p", property, "-n", "-t", "string", "-s", entry.command});
            }
            query({"-p", "/commands/custom/override", "-n", "-t", "bool", "-s", "true"});
        }
        for (const Entry &entry : *entries) {
            if (ours(entry) || entry.keys == keys)
                query({"-p", entry.property, "-r"});
        }
        const std::string property = "/commands/custom/" + gtkNotation(keys);
        const Ran set = query({"-p", property, "-n", "-t", "string", "-s", command});
        if (!set.ok())
            return {1, "xfconf-query could not set " + property + ": " + set.err};
        return {0, userNotation(keys) + " starts " + command + " now (Xfce, " + property + ")"};
    }

    Outcome remove()
    {
        std::string why;
        const std::optional<std::vector<Entry>> entries = custom(why);
        if (!entries)
            return {1, why};
        for (const Entry &entry : *entries) {
            if (ours(entry))
                query({"-p", entry.property, "-r"});
        }
        return {0, "no shortcut starts zimbrel-generator on Xfce now"};
    }

private:
    struct Entry
    {
        std::string property;
        std::string command;
        std::optional<Keys> keys;
    };

    static Ran query(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {"-c", "xfce4-keyboard-shortcuts"});
        return runTool("xfconf-query", arguments);
    }

    // "property   value" lines of xfconf-query -l -v.
    static std::vector<Entry> parseListing(const std::string &listed)
    {
        std::vector<Entry> found;
        size_t start = 0;
        while (start < listed.size()) {
            const size_t end = std::min(listed.find('\n', start), listed.size());
            const std::string line = listed.substr(start, end - start);
            start = end + 1;
            const size_t space = line.find_first_of(" \t");
            if (space == std::string::npos)
                continue;
            Entry entry;
            entry.property = line.substr(0, space);
            const size_t value = line.find_first_not_of(" \t", space);
            entry.command = value == std::string::npos ? std::string() : line.substr(value);
            const size_t slash = entry.property.rfind('/');
            entry.keys = fromGtkNotation(entry.property.substr(slash + 1));
            if (entry.keys)
                found.push_back(entry);
        }
        return found;
    }

    static std::optional<std::vector<Entry>> custom(std::string &why)
    {
        const Ran ran = query({"-p", "/commands/custom", "-l", "-v"});
        // A channel without custom shortcuts yet says so; anything else is a failure.
        if (!ran.ok() && !(ran.started && ran.err.find("does not exist") != std::string::npos)) {
            why = "cannot read Xfce's shortcuts: "
                + (ran.started ? ran.err : std::string("xfconf-query is not installed"));
            return std::nullopt;
        }
        return parseListing(ran.ok() ? ran.out : std::string());
    }

    static bool ours(const Entry &entry)
    {
        const std::string program = entry.command.substr(0, entry.command.find(' '));
        return program == "zimbrel-generator"
            || (program.size() > 18 && program.compare(program.size() - 18, 18, "/zimbrel-generator") == 0);
    }

    static std::string where(const Entry &entry) { return "Xfce, " + entry.property; }
};

} // namespace

Outcome bind(Desktop desktop, const std::optional<Keys> &keys, bool force, const std::string &command)
{
    switch (desktop) {
    case Desktop::Gnome:
    case Desktop::Cinnamon:
    case Desktop::Mate: {
        GSettingsBindings bindings(desktop == Desktop::Gnome          ? kGnome
                                       : desktop == Desktop::Cinnamon ? kCinnamon
                                                                      : kMate);
        return keys ? bindings.bind(*keys, force, command) : bindings.remove();
    }
    case Desktop::Kde: {
        KdeBindings bindings;
        return keys ? bindings.bind(*keys, force) : bindings.remove();
    }
    case Desktop::Sway:
    case Desktop::I3: {
        WmConfigBindings bindings(desktop);
        return keys ? bindings.bind(*keys, force, command) : bindings.remove();
    }
    case Desktop::Xfce: {
        XfceBindings bindings;
        return keys ? bindings.bind(*keys, force, command) : bindings.remove();
    }
    case Desktop::Other:
        break;
    }
    const std::string desktops = [] {
        const char *current = std::getenv("XDG_CURRENT_DESKTOP");
        return std::string(current && *current ? current : "an unknown desktop");
    }();
    return {1,
            "cannot set a shortcut on " + desktops
                + " (GNOME, KDE Plasma, sway, i3, Xfce, Cinnamon and MATE are "
                  "known); bind "
                + (keys ? userNotation(*keys) : std::string("a key")) + " to the command " + command
                + " in its own settings, as the README's \"A keyboard shortcut for the generator\" shows"};
}

Outcome show(Desktop desktop)
{
    switch (desktop) {
    case Desktop::Gnome:
        return GSettingsBindings(kGnome).show();
    case Desktop::Cinnamon:
        return GSettingsBindings(kCinnamon).show();
    case Desktop::Mate:
        return GSettingsBindings(kMate).show();
    case Desktop::Kde:
        return KdeBindings().show();
    case Desktop::Sway:
    case Desktop::I3:
        return WmConfigBindings(desktop).show();
    case Desktop::Xfce:
        return XfceBindings().show();
    case Desktop::Other:
        break;
    }
    return bind(desktop, std::nullopt, false, generatorCommand());
}

Outcome run(const std::string &text, bool force)
{
    const Desktop desktop = runningDesktop();
    if (text.empty())
        return show(desktop);
    if (lower(text) == "none")
        return bind(desktop, std::nullopt, force, generatorCommand());
    std::string why;
    const std::optional<Keys> keys = parseKeys(text, &why);
    if (!keys)
        return {2, "bad keys \"" + text + "\": " + why};
    return bind(desktop, keys, force, generatorCommand());
}

} // namespace zimbrel::shortcut
