#pragma once
// Window geometry is laid out in twips; Qt works in device-independent pixels.

#include <QRect>

namespace m4::ui {

/// Twips in one device-independent pixel (1440 twips an inch at 96 pixels an inch).
inline constexpr int kTwipsPerPixel = 15;

/// Twips to pixels, to the nearest pixel.
constexpr int twips(int t) {
    return t >= 0 ? (t + kTwipsPerPixel / 2) / kTwipsPerPixel
                  : -((-t + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

/// Pixels to twips.
constexpr int toTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

/// A rectangle given in twips (left, top, width, height) as pixels.
inline QRect twipsRect(int left, int top, int width, int height) {
    return {twips(left), twips(top), twips(width), twips(height)};
}

/// A rectangle in twips as pixels.
inline QRect twipsRect(const QRect& r) {
    return twipsRect(r.x(), r.y(), r.width(), r.height());
}

/// A point given in twips as pixels.
inline QPoint twipsPoint(int left, int top) {
    return {twips(left), twips(top)};
}

} // namespace m4::ui
