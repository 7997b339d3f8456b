// SPDX-License-Identifier: GPL-3.0-or-later
// The tray and window icon, drawn pixel by pixel into a small palette so that
// it stays a palette PNG with a transparency table.
#include "assets.h"

#include <QColor>
#include <QPainter>
#include <QRect>

#include <cmath>

namespace {

const int width = 156;
const int height = 178;
// The square, centred, with a transparent surround.
const QRect square(4, 15, 148, 148);
const int frame = 9;
const double crossWidth = 26.0;
// Samples per pixel side for the smoothed edges of the cross.
const int grid = 4;

const QColor orange(247, 142, 30);
const QColor black(0, 0, 0);

// Palette: transparent, then orange blending into black in equal steps.
const int transparentIndex = 0;
const int firstShade = 1;
const int shades = grid * grid + 1;

// Whether the point lies on the cross through the square's inner corners.
bool onCross(double x, double y, const QRectF& inner)
{
    const double dx = x - inner.center().x();
    const double dy = y - inner.center().y();
    const double slope = inner.height() / inner.width();
    const double norm = std::sqrt(1.0 + slope * slope);
    const double half = crossWidth / 2.0;
    return std::abs(dy - slope * dx) / norm <= half || std::abs(dy + slope * dx) / norm <= half;
}

} // namespace

QImage drawTrayIcon()
{
    QImage image(width, height, QImage::Format_Indexed8);
    QVector<QRgb> palette;
    palette.append(qRgba(0, 0, 0, 0));
    for (int i = 0; i < shades; ++i) {
        const double t = double(i) / (shades - 1);
        palette.append(qRgb(int(std::lround(orange.red() * (1 - t))),
                            int(std::lround(orange.green() * (1 - t))),
                            int(std::lround(orange.blue() * (1 - t)))));
    }
    image.setColorTable(palette);

    const QRect inner = square.adjusted(frame, frame, -frame, -frame);
    const QRectF innerF(inner.x(), inner.y(), inner.width(), inner.height());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int index = transparentIndex;
            if (inner.contains(x, y)) {
                int covered = 0;
                for (int sy = 0; sy < grid; ++sy)
                    for (int sx = 0; sx < grid; ++sx)
                        covered += onCross(x + (sx + 0.5) / grid, y + (sy + 0.5) / grid, innerF);
                index = firstShade + covered;
            } else if (square.contains(x, y)) {
                index = firstShade + shades - 1;
            }
            image.setPixel(x, y, uint(index));
        }
    }
    return image;
}

QImage drawAppIcon()
{
    const QImage tray = drawTrayIcon().convertToFormat(QImage::Format_ARGB32);
    const QImage scaled = tray.scaled(256, 256, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImage icon(256, 256, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.drawImage((256 - scaled.width()) / 2, (256 - scaled.height()) / 2, scaled);
    return icon;
}
