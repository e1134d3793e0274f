#include "platform/appkit/ns_font.h"

#include <QFontDatabase>
#include <array>
#include <map>
#include <optional>

namespace platform {
namespace {

// Families of the other desktop that Linux does not ship, and what stands in for them, first
// installed wins. Chinese text falls back from any of them to the installed CJK font.
struct StandIn {
    const char* family;
    std::array<const char*, 3> candidates;
};
constexpr std::array<StandIn, 1> kStandIns = {{
    {"Lucida Grande", {"DejaVu Sans", "Noto Sans", "WenQuanYi Micro Hei"}},
}};

// A look-up, not a copy of every family's name; each asks fontconfig to resolve aliases.
bool isInstalled(const QString& family) {
    return QFontDatabase::hasFamily(family);
}

std::optional<std::string> lookUpInstalledFamily(const std::string& name) {
    if (isInstalled(QString::fromStdString(name))) {
        return name;
    }
    for (const StandIn& standIn : kStandIns) {
        if (name != standIn.family) {
            continue;
        }
        for (const char* candidate : standIn.candidates) {
            if (isInstalled(QString::fromUtf8(candidate))) {
                return candidate;
            }
        }
    }
    return std::nullopt;
}

// The family that stands for `name`, asked once per run: every label of a panel asks as it is
// built, and the installed fonts that Qt's font database knows stay the same while it runs.
// Used on the main thread only.
std::optional<std::string> installedFamilyFor(const std::string& name) {
    static std::map<std::string, std::optional<std::string>, std::less<>> known;
    auto [found, added] = known.try_emplace(name);
    if (added) {
        found->second = lookUpInstalledFamily(name);
    }
    return found->second;
}

}  // namespace

std::shared_ptr<NSFont> NSFont::fontWithName(const std::string& name, double size) {
    auto family = installedFamilyFor(name);
    if (!family) {
        return nullptr;
    }
    return std::make_shared<NSFont>(std::move(*family), size);
}

}  // namespace platform
