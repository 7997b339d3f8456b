// SPDX-License-Identifier: GPL-3.0-or-later
// Size, place and visible time of the alert popup, kept free of widgets so
// the arithmetic can be checked on its own.
#ifndef TESSIK_POPUPGEOMETRY_H
#define TESSIK_POPUPGEOMETRY_H

#include <QPoint>
#include <QRect>
#include <QSize>

#include <climits>

// The popup's size for a SizeSlider value (10 to 100, a share of the
// available height), keeping the picture's proportions. The share is taken
// in single precision, so 70 % of 1000 pixels is 699.
inline QSize popupSize(int sliderValue, QRect available, QSize picture)
{
    const double scale = static_cast<float>(sliderValue / 100.0f);
    const double availW = available.width();
    const double availH = available.height();
    const int height = static_cast<int>(scale * availH);
    // An unreadable picture or an empty screen has no aspect to keep.
    if (picture.height() <= 0 || available.isEmpty())
        return QSize(0, height);
    const double aspect = static_cast<double>(picture.width()) / picture.height();
    const int width = static_cast<int>(scale * availW * aspect / (availW / availH));
    return QSize(width, height);
}

// Top-left corner for a location index: 0 bottom left, 1 bottom right,
// 2 centre, 3 top left, 4 top right; anything else counts as 1. The popup's
// edges touch the available area's edges.
inline QPoint popupTopLeft(int index, QRect available, QSize frame)
{
    const int right = available.right() - (frame.width() - 1);
    const int bottom = available.bottom() - (frame.height() - 1);
    switch (index) {
    case 0:
        return QPoint(available.left(), bottom);
    case 2:
        return QPoint((available.left() + available.right()) / 2 - (frame.width() - 1) / 2,
                      (available.top() + available.bottom()) / 2 - (frame.height() - 1) / 2);
    case 3:
        return available.topLeft();
    case 4:
        return QPoint(right, available.top());
    default:
        return QPoint(right, bottom);
    }
}

// The popup's visible time in milliseconds. A damaged store can hold up to
// 2^32 - 1 seconds; the timer takes an int, so the time is capped at the
// longest whole second that fits (about 24 days).
inline int popupVisibleMs(unsigned int seconds)
{
    constexpr unsigned int longest = INT_MAX / 1000;
    return static_cast<int>((seconds < longest ? seconds : longest) * 1000);
}

#endif
