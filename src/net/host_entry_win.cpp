#include "net/host_entry_win.h"

#include <vector>

namespace {

struct Abandoned {
    HANDLE task;
    HostEntryBuffer buffer;
};

// One list for every resolver call: task handles do not repeat while
// their lookups are open.
std::vector<Abandoned> abandoned;

} // namespace

HostEntryBuffer NewHostEntryBuffer()
{
    return HostEntryBuffer(new char[MAXGETHOSTSTRUCT]);
}

void AbandonLookup(HANDLE task, HostEntryBuffer buffer)
{
    abandoned.push_back(Abandoned{task, std::move(buffer)});
}

bool ReleaseAbandonedLookup(HANDLE task)
{
    for (auto it = abandoned.begin(); it != abandoned.end(); ++it) {
        if (it->task == task) {
            abandoned.erase(it);
            return true;
        }
    }
    return false;
}
