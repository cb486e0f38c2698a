// The engine's two callers: zimbrel-generator's, which splits settings.ini's bytes into lines
// before the GUI toolkit is loaded, and the window program's, which splits the Qt text; both
// give the same password for the same random words. What the editor's read-out is told the
// generator will make (engine::outlook) is what it makes.
#include "fuzzcheck.h"
#include "generator/sf.h"
#include "core/engine.h"
#include "core/settingspassword.h"
#include "platform/cp1252.h"
#include "shared/settingsfile.h"

#include <memory>

using namespace zimbrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    SettingsBytes settings;
    settings.present = data[0] != 0;
    settings.bytes.assign(reinterpret_cast<const char *>(data + 1), size - 1);
    // As the generator reads it: up to the end of the second line.
    const size_t first = settings.bytes.find("\r\n");
    const size_t second = first == std::string::npos ? first : settings.bytes.find("\r\n", first + 2);
    if (second != std::string::npos)
        settings.bytes.resize(second + 2);

    const auto words = [seed = data[0]] {
        auto state = std::make_shared<uint64_t>(0x9E3779B97F4A7C15ull ^ seed);
        return [state] {
            *state = *state * 6364136223846793005ull + 1442695040888963407ull;
            return uint32_t(*state >> 32);
        };
    };
    const std::string bytes = passwordFromSettings(settings, words());
    const QString text = settings.present ? fromAnsi(QByteArray::fromStdString(settings.bytes)) : QString();
    const RandomSource source = words();
    QString full = SelectPassword(CandidateRoundFrom(source), splitSettingsLines(text),
                                  [&] { return CandidateRoundFrom(source); });
    ApplyReplacements(full);
    FUZZ_CHECK(fromAnsi(QByteArray::fromStdString(bytes)) == full);
    const engine::Outlook outlook =
        engine::outlook(settings.present ? engine::Lines(engine::splitSettingsLines(settings.bytes)) : engine::Lines());
    if (outlook.kind == engine::Outlook::Kind::None)
        FUZZ_CHECK(bytes.empty());
    if (outlook.kind == engine::Outlook::Kind::Exact)
        FUZZ_CHECK(bytes.size() == size_t(outlook.length));
    if (outlook.kind == engine::Outlook::Kind::OneRound)
        FUZZ_CHECK(bytes.size() <= size_t(engine::kRound));
    return 0;
}
