// The top-level window: caption, client size, centring, docking of its children, and a release
// list of objects it releases when it is destroyed.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "ui/Control.h"

namespace ui {

class Window : public Control<QWidget> {
public:
    /// A hidden top-level window with caption, coloured like a button face.
    explicit Window(const std::string& caption);
    /// Hides the window, runs the release list (the last registered first), then destroys the
    /// controls (the last created first).
    ~Window() override;

    [[nodiscard]] std::string Caption() const { return windowTitle().toStdString(); }
    /// Sizes the window so that its client area is width x height.
    void SetClientSize(int width, int height) {
        resize(width, height);
        ArrangeDocked(this);
    }
    /// Places the window's outer (framed) rectangle in the middle of the whole primary screen,
    /// rounding down; done again once shown, when the frame's real size is known.
    void CentreOnScreen();

    /// Registers a release, known by name, to run when the window is destroyed.
    void RegisterRelease(std::string name, std::function<void()> release) {
        releases_.push_back({std::move(name), std::move(release)});
    }
    /// Told the name of each release as it runs, for tests.
    std::function<void(const std::string&)> OnReleased;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Release {
        std::string name;
        std::function<void()> run;
    };
    std::vector<Release> releases_;
    bool centreWhenShown_ = false;
};

}  // namespace ui
