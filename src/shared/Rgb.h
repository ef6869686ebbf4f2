#pragma once

// A colour as red, green and blue, for logic that knows nothing of widgets; RgbColor.h turns it into a QColor.
struct Rgb
{
    int red = 0, green = 0, blue = 0;
    bool operator==(const Rgb &) const = default;
};
