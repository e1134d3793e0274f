#pragma once

// The host (and port) of the lookup and help service that the application talks to: ours,
// quelmarn-lookupd, which the run command starts on this machine's loopback address.
inline constexpr const char* kServiceHost = "127.0.0.1:47180";
