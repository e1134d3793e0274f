#include <vector>

#include "platform/character_class.h"
#include "platform/format.h"
#include "platform/integer_value.h"
#include "platform/unicode_text.h"
#include "sysinfo/var_system_info.h"

namespace sysinfo {
namespace {

constexpr const char* kLinux = "Linux";

// A Darwin release is numbers and dots only ("12.5.0"); distributions' Linux kernels carry a
// suffix ("6.1.0-18-amd64", "5.15.0-91-generic").
bool looksLikeLinuxRelease(const std::optional<std::string>& release) {
    return release && release->find_first_not_of("0123456789.") != std::string::npos;
}

}  // namespace

std::optional<std::string> VarSystemInfo::getOSVersionInfo() const {
    const std::optional<std::string> release = _strControlEntry("kern.osrelease");
    const std::optional<std::string> kernel = _strControlEntry("kern.ostype");
    // The version formula only means something for a Darwin kernel. A machine that does not
    // name its kernel is taken for Darwin unless its release says otherwise.
    if (kernel == "Darwin" || (!kernel && !looksLikeLinuxRelease(release))) {
        return _darwinVersionText(release);
    }
    return _linuxVersionText(kernel, release);
}

std::optional<std::string> VarSystemInfo::_darwinVersionText(
    const std::optional<std::string>& release) {
    const std::optional<std::string> build = _strControlEntry("kern.osversion");
    if (!release || !build) {
        return std::nullopt;
    }
    const std::vector<std::string> parts =
        platform::componentsSeparatedBy(*release, platform::isPunctuation);
    if (parts.size() < 2) {
        return std::nullopt;
    }
    // Darwin 12 shipped as 10.8. The mapping has no upper limit: Darwin 20 gives 10.16. The
    // first part cannot hold a "-", which is punctuation, so the difference cannot wrap.
    const std::string minor =
        platform::stringWithFormat("%ld", {platform::arg(platform::integerValue(parts[0]) - 4)});
    return platform::stringWithFormat(
        "%@.%@.%@ (%@)", {platform::arg("10"), platform::arg(minor), platform::arg(parts[1]),
                          platform::arg(*build)});
}

std::string VarSystemInfo::_linuxVersionText(const std::optional<std::string>& kernel,
                                             const std::optional<std::string>& release) {
    // Without a kernel name we only got here because the release is a Linux one.
    const std::string name =
        _strControlEntry("quelmarn.os.product_name").value_or(kernel.value_or(kLinux));
    if (!release) {
        return name;
    }
    return platform::stringWithFormat("%@ (%@)", {platform::arg(name), platform::arg(*release)});
}

}  // namespace sysinfo
