#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/format.h"

namespace platform {

// Writes one diagnostic line, made by stringWithFormat, to the installed log sink. The default
// sink sends it to the system log (syslog, so the journal on systemd machines) and to standard
// error as "YYYY-MM-DD hh:mm:ss.mmm <process>[<pid>] <message>".
void NSLog(std::string_view format, std::initializer_list<FormatArgument> arguments = {});

// Receives each message, without timestamp or process, as NSLog made it.
using LogSink = std::function<void(const std::string& message)>;

// Installs `sink` (or the default one for an empty function) and returns the one it replaces.
LogSink installLogSink(LogSink sink);

}  // namespace platform
