#include "dialogs/host_list.h"

#include <cstdint>
#include <cstdio>

void HostKey(int index, char *buf, size_t size)
{
    std::snprintf(buf, size, "host%d", index);
}

int HostListLoadCount(int count)
{
    if (count <= 0)
        return 0;
    return count > HOST_LIST_LOAD_LIMIT ? HOST_LIST_LOAD_LIMIT : count;
}

int HostListSaveCount(int entries, int limit)
{
    if (entries < 0)
        return 0;
    return limit != -1 && entries > 10 ? 10 : entries;
}

int AppendIndex(int count)
{
    if (count < 0)
        return 0;
    return count == INT32_MAX ? INT32_MAX - 1 : count;
}
