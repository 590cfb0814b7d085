#include "ui/Docking.h"

#include <gtest/gtest.h>

using ui::Dock;
using ui::LayOutDocked;
using ui::Placement;

namespace {

// The main window's docked children in creation order: TopPanel, LeftPanel, PaneSplitter,
// RightPanel, with their own sizes at start-up.
std::vector<ui::DockedChild> MainWindowChildren(int leftWidth = 389) {
    return {{Dock::Top, 771, 65},
            {Dock::Left, leftWidth, 442},
            {Dock::Left, 4, 442},
            {Dock::Fill, 374, 442}};
}

}  // namespace

TEST(Docking, StartUpLayoutOfTheMainWindow) {
    const auto p = LayOutDocked(775, 513, MainWindowChildren());
    EXPECT_EQ(p[0], (Placement{2, 2, 771, 65}));
    EXPECT_EQ(p[1], (Placement{2, 69, 389, 442}));
    EXPECT_EQ(p[2], (Placement{393, 69, 4, 442}));
    EXPECT_EQ(p[3], (Placement{399, 69, 374, 442}));
}

TEST(Docking, EdgeSizes) {
    struct Case {
        const char* what;
        int width, height, leftWidth;
        Placement left, splitter, right;
    };
    const Case cases[] = {
        {"wider and taller",
         1000,
         700,
         389,
         {2, 69, 389, 629},
         {393, 69, 4, 629},
         {399, 69, 599, 629}},
        {"client width 401",
         401,
         513,
         389,
         {2, 69, 389, 442},
         {393, 69, 4, 442},
         {399, 69, 0, 442}},
        {"client width 300",
         300,
         513,
         389,
         {2, 69, 389, 442},
         {393, 69, 4, 442},
         {399, 69, 0, 442}},
        {"client height 71", 775, 71, 389, {2, 69, 389, 0}, {393, 69, 4, 0}, {399, 69, 374, 0}},
        {"client height 40", 775, 40, 389, {2, 69, 389, 0}, {393, 69, 4, 0}, {399, 69, 374, 0}},
        {"splitter dragged far left",
         775,
         513,
         0,
         {2, 69, 0, 442},
         {4, 69, 4, 442},
         {10, 69, 763, 442}},
        {"splitter dragged far right",
         775,
         513,
         763,
         {2, 69, 763, 442},
         {767, 69, 4, 442},
         {773, 69, 0, 442}},
    };
    for (const Case& c : cases) {
        const auto p = LayOutDocked(c.width, c.height, MainWindowChildren(c.leftWidth));
        EXPECT_EQ(p[0].height, 65) << c.what;
        EXPECT_EQ(p[0].width, std::max(c.width - 4, 0)) << c.what;
        EXPECT_EQ(p[1], c.left) << c.what;
        EXPECT_EQ(p[2], c.splitter) << c.what;
        EXPECT_EQ(p[3], c.right) << c.what;
    }
}

TEST(Docking, FillingChildOfAPanelAndUndockedChildren) {
    const auto p = LayOutDocked(385, 438, {{Dock::None, 10, 10}, {Dock::Fill, 1, 1}});
    EXPECT_EQ(p[0], Placement{});
    EXPECT_EQ(p[1], (Placement{2, 2, 381, 434}));
    EXPECT_EQ(LayOutDocked(3, 3, {{Dock::Fill, 1, 1}})[0], (Placement{2, 2, 0, 0}));
}
