#pragma once

#include <string_view>

// The controls of frmMain as every window draws them: names, texts, places and tab order.
namespace plexifold::app {

enum class Widget { cmdConvert, txtPath, cmdBrowse, ProgressBar1, lblProgress };

struct ControlPlace {
    Widget widget;
    std::string_view name;        // the control's name; the window's tests find it by it
    std::string_view text;        // "&" marks the access key
    int left, top, width, height; // twips in the client area
    bool takesFocus;
};

/// 15 twips to a pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kClientWidth = 4695;
inline constexpr int kClientHeight = 1095;

// In tab order, which is also the stacking order: the bar lies over the label's last row,
// so a descender never paints over the bar.
inline constexpr ControlPlace kControls[] = {
    {Widget::cmdConvert, "cmdConvert", "&Execute", 3240, 600, 1335, 375, true},
    {Widget::txtPath, "txtPath", "", 120, 120, 3975, 285, true},
    {Widget::cmdBrowse, "cmdBrowse", "...", 4200, 120, 375, 285, true},
    {Widget::ProgressBar1, "ProgressBar1", "", 120, 840, 3015, 135, false},
    {Widget::lblProgress, "lblProgress", "Progress", 120, 600, 3015, 255, false},
};

/// The row of `widget`.
constexpr const ControlPlace& PlaceOf(Widget widget) {
    for (const ControlPlace& place : kControls)
        if (place.widget == widget)
            return place;
    return kControls[0];
}

} // namespace plexifold::app
