#include "frame/frame_layout.h"

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
