#pragma once

#include "platform/iokit.h"
#include "platform/kern_return.h"
#include "smc/smc_key_value.h"

namespace smc {

// Opens a connection to the SMC driver's user client into *conn. Returns 0 when it is open,
// and 1 otherwise, after printing the reason on standard output:
//   "Error: IOServiceGetMatchingServices() = %08x\n", "Error: no SMC found\n" or
//   "Error: IOServiceOpen() = %08x\n" (the status as eight lower-case hex digits).
// On failure *conn is left as it was. Every registry object it took is released before it returns.
int SMCOpenDriver(platform::io_connect_t* conn);

// Reads one key over an open connection into *val: first the size and type of the key's value,
// then that many bytes of it. `key` is a NUL-terminated text of which the first four characters
// are the key. Returns KERN_SUCCESS, or the failing exchange's status unchanged; prints nothing.
// *val is cleared first, so after a failure it holds the key, and after a failed second
// exchange the size and type too, with everything else zero.
platform::kern_return_t SMCFetchKey(const char* key, SMCKeyValue* val,
                                    const platform::io_connect_t& conn);

// Closes a connection that SMCOpenDriver opened. Returns IOServiceClose's status.
platform::kern_return_t SMCCloseDriver(platform::io_connect_t conn);

}  // namespace smc
