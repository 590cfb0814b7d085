#include "ui/Docking.h"

#include <algorithm>

namespace ui {

std::vector<Placement> LayOutDocked(int clientWidth, int clientHeight,
                                    const std::vector<DockedChild>& children) {
    std::vector<Placement> placements(children.size());
    int left = kDockMargin;
    int top = kDockMargin;
    const int right = clientWidth - kDockMargin;
    const int bottom = clientHeight - kDockMargin;
    const auto clamp = [](int size) { return std::max(size, 0); };

    for (size_t i = 0; i < children.size(); ++i) {
        if (children[i].dock != Dock::Top)
            continue;
        placements[i] = {left, top, clamp(right - left), clamp(children[i].height)};
        top += placements[i].height + kDockMargin;
    }
    for (size_t i = 0; i < children.size(); ++i) {
        if (children[i].dock != Dock::Left)
            continue;
        placements[i] = {left, top, clamp(children[i].width), clamp(bottom - top)};
        left += placements[i].width + kDockMargin;
    }
    for (size_t i = 0; i < children.size(); ++i) {
        if (children[i].dock != Dock::Fill)
            continue;
        placements[i] = {left, top, clamp(right - left), clamp(bottom - top)};
    }
    return placements;
}

}  // namespace ui
