// Plain geometry of the equaliser graph as the model keeps it: rectangles
// and points in the graph window's pixel coordinates.
#pragma once

struct GraphRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct GraphPoint {
    int x = 0;
    int y = 0;
};

struct GraphPointF {
    float x = 0.0f;
    float y = 0.0f;
};
