// A passwd(5) text, searched for the uids of root, a first user, nobody and the largest uid.
#include "fuzz/fuzz_input.h"
#include "platform/linux/passwd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::textOf(data, size);
    for (const std::uint32_t uid : {0u, 1000u, 65534u, 4294967295u}) {
        const auto entry = platform::linux_backend::findPasswdEntry(text, uid);
        if (!entry) {
            continue;
        }
        fuzz::require(!entry->login.empty(), "a found entry has a login");
        fuzz::require(entry->login.find_first_of(":\n") == std::string::npos &&
                          entry->gecos.find_first_of(":\n") == std::string::npos,
                      "fields hold no separator");
        const std::string fullName = platform::linux_backend::fullNameOf(*entry);
        fuzz::require(fullName == entry->login || (entry->gecos.starts_with(fullName) &&
                                                   fullName.find(',') == std::string::npos),
                      "the full name is the login or the GECOS field up to its first comma");
    }
    return 0;
}
