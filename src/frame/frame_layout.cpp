#include "frame/frame_layout.h"

#include "res/resource.h"

ChildRect StatusBarRequest(int32_t clientWidth, int32_t clientHeight)
{
    return ChildRect{0, clientHeight - 10, clientWidth, clientHeight};
}

ChildRect OutputPaneRect(int32_t clientWidth, int32_t clientHeight, int32_t toolbarHeight,
                         int32_t statusHeight)
{
    const int64_t height = static_cast<int64_t>(clientHeight) -
                           (static_cast<int64_t>(statusHeight) + toolbarHeight + 2);
    return ChildRect{0, toolbarHeight + 1, clientWidth,
                     static_cast<int32_t>(height < INT32_MIN ? INT32_MIN : height)};
}

const ToolbarEntry kToolbarEntries[13] = {
    {0, IDM_FINGER, false},     {1, IDM_WHOIS, false},   {2, IDM_ADDRBOOK, false},
    {9, IDM_HOSTLOOKUP, false}, {0, 0, true},            {3, IDM_SAVEAS, false},
    {4, IDM_CLEAR, false},      {5, IDM_COPY, false},    {0, 0, true},
    {6, IDM_PRINT, false},      {0, 0, true},            {8, IDM_CANCELOP, false},
    {7, IDM_HELPCOMMANDS, false},
};

const int kOutputMenuItems[6] = {IDM_PRINT, IDM_SAVEAS,    IDM_CLEAR,
                                 IDM_SELECTALL, IDM_COPY, IDM_FINDTEXT};
const int kOutputButtons[4] = {IDM_SAVEAS, IDM_CLEAR, IDM_COPY, IDM_PRINT};
const int kQueryButtons[4] = {IDM_FINGER, IDM_WHOIS, IDM_ADDRBOOK, IDM_HOSTLOOKUP};
