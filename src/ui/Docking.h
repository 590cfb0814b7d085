// Docking: how a container places its docked children. A plain function of sizes, used by
// every container and callable from tests without any window.
#pragma once

#include <vector>

namespace ui {

/// Where a child is docked in its container.
enum class Dock { None, Top, Left, Fill };

/// The space between a container's edge and its docked children, and between those children.
inline constexpr int kDockMargin = 2;

/// A child as docking sees it: its docking and its own size (a top-docked child keeps its
/// height, a left-docked one its width).
struct DockedChild {
    Dock dock = Dock::None;
    int width = 0;
    int height = 0;
};

/// A child's place in its container's client area.
struct Placement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Placement&) const = default;
};

/// Places the children (given in creation order) in a client area of the given size, in three
/// passes: top-docked children, then left-docked, then filling ones, each pass in creation order,
/// with kDockMargin around and between them. A size that would be negative is 0. Children docked
/// None keep a default Placement and are not moved by the caller.
[[nodiscard]] std::vector<Placement> LayOutDocked(int clientWidth, int clientHeight,
                                                  const std::vector<DockedChild>& children);

}  // namespace ui
