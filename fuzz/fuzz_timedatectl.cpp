// Any output in place of `timedatectl show`: nothing may crash; it is taken exactly when some line's key is
// NTPSynchronized, the last such line decides, a refused output leaves the state as it was, and the operator's
// texts about the state are never empty.
#include "platform/ClockSync.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {
std::string trimmed(const std::string& text)
{
    const char* blanks = " \t\n\v\f\r";
    const size_t first = text.find_first_not_of(blanks);
    return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(blanks) - first + 1);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string output(reinterpret_cast<const char*>(data), size);
    int seen = -1; // the value of the last NTPSynchronized line: 1 "yes", 0 anything else
    for (size_t start = 0; start <= output.size();) {
        const size_t end = std::min(output.find('\n', start), output.size());
        const std::string line = output.substr(start, end - start);
        const size_t eq = line.find('=');
        if (eq != std::string::npos && trimmed(line.substr(0, eq)) == "NTPSynchronized")
            seen = trimmed(line.substr(eq + 1)) == "yes";
        start = end + 1;
    }

    ClockSyncState state;
    state.source = ClockSyncState::Source::Kernel;
    state.maxErrorUs = 7;
    const bool taken = ParseTimedatectlShow(QByteArray(output.data(), qsizetype(output.size())), state);
    if (taken != (seen >= 0))
        __builtin_trap();
    if (!taken) {
        if (state.source != ClockSyncState::Source::Kernel || state.maxErrorUs != 7)
            __builtin_trap();
        return 0;
    }
    if (state.source != ClockSyncState::Source::Timedatectl || state.synchronized != (seen == 1) ||
        state.maxErrorUs != -1 || state.estimatedErrorUs != -1 || !state.failure.isEmpty())
        __builtin_trap();
    if (ClockSyncPanelText(state).isEmpty() || ClockSyncToolTip(state).isEmpty() ||
        ClockSyncWarningLine(state).isEmpty())
        __builtin_trap();
    return 0;
}
