// SPDX-License-Identifier: GPL-3.0-or-later
// The popup picture. The letters are stroked shapes rather than a font, so the
// picture comes out the same on every machine.
#include "assets.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const int width = 684;
const int height = 528;
const QColor field(112, 128, 144);
const QColor logoColour(42, 56, 72);
const QColor letterColour(Qt::white);

// The logo: a sensor eye sending out waves to both sides.
void drawLogo(QPainter& p, QPointF centre)
{
    p.setPen(Qt::NoPen);
    p.setBrush(logoColour);
    p.drawEllipse(centre, 30, 30);

    QPen pen(logoColour, 13, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const int span = 70 * 16;
    for (int i = 1; i <= 3; ++i) {
        const double r = 30 + 30 * i;
        const QRectF box(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
        p.drawArc(box, -span / 2, span);
        p.drawArc(box, 180 * 16 - span / 2, span);
    }
}

// The A is filled rather than stroked: an outline with the counter and the gap
// between the legs cut out.
void drawA(QPainter& p, double x, double top, double w, double h, double s)
{
    const double bottom = top + h;
    const double centre = x + w / 2;
    const double flatTop = s * 0.3; // half the width of the flat apex
    const double leg = s * 0.95;    // horizontal thickness of a leg
    const double barTop = top + h * 0.6;
    const double barBottom = barTop + s * 0.8;
    // Inner edge of the left leg; the right one mirrors it about the centre.
    auto inner = [&](double y) { return x + (bottom - y) / h * (centre - flatTop - x) + leg; };
    auto mirror = [&](double px) { return 2 * centre - px; };
    const double apexY = bottom - (centre - x - leg) / (centre - flatTop - x) * h;

    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.moveTo(x, bottom);
    path.lineTo(centre - flatTop, top);
    path.lineTo(centre + flatTop, top);
    path.lineTo(x + w, bottom);
    path.closeSubpath();
    path.moveTo(centre, apexY);
    path.lineTo(mirror(inner(barTop)), barTop);
    path.lineTo(inner(barTop), barTop);
    path.closeSubpath();
    path.moveTo(inner(barBottom), barBottom);
    path.lineTo(mirror(inner(barBottom)), barBottom);
    path.lineTo(mirror(inner(bottom)), bottom);
    path.lineTo(inner(bottom), bottom);
    path.closeSubpath();

    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(letterColour);
    p.drawPath(path);
    p.restore();
}

// One capital in the box [x, x + w] x [top, top + h], stroked with pen width
// s. The band is clipped to the box row, so strokes may run past top and
// bottom to get clean horizontal ends.
void drawLetter(QPainter& p, char letter, double x, double top, double w, double h, double s)
{
    const double l = x + s / 2;
    const double r = x + w - s / 2;
    const double t = top + s / 2;
    const double b = top + h - s / 2;
    const double mid = top + h * 0.5;
    const double below = top + h + s;
    if (letter == 'A') {
        drawA(p, x, top, w, h, s);
        return;
    }
    QPainterPath path;
    switch (letter) {
    case 'L':
        path.moveTo(l, top - s);
        path.lineTo(l, b);
        path.lineTo(r, b);
        break;
    case 'E':
        path.moveTo(r, t);
        path.lineTo(l, t);
        path.lineTo(l, b);
        path.lineTo(r, b);
        path.moveTo(l, mid);
        path.lineTo(r - w * 0.12, mid);
        break;
    case 'R': {
        const double bowl = (mid - t) / 2;
        const double bowlX = r - bowl;
        path.moveTo(l, below);
        path.lineTo(l, t);
        path.lineTo(bowlX, t);
        path.arcTo(bowlX - bowl, t, 2 * bowl, 2 * bowl, 90, -180);
        path.lineTo(l, mid);
        // The leg starts inside the bowl's lower stroke so its cap stays hidden.
        path.moveTo(x + w * 0.45, mid + s / 2);
        path.lineTo(x + w - s * 0.45, below);
        break;
    }
    case 'T':
        path.moveTo(x + s / 2, t);
        path.lineTo(r, t);
        path.moveTo(x + w / 2, t);
        path.lineTo(x + w / 2, below);
        break;
    default:
        break;
    }
    p.drawPath(path);
}

// Diagonal strokes need room: the A is wider than the other letters.
double letterWidth(char letter)
{
    return letter == 'A' ? 124 : 96;
}

void drawWord(QPainter& p, const char* word, double top)
{
    const double letterHeight = 150;
    const double gap = 24;
    const double stroke = 30;
    const int count = int(qstrlen(word));
    double total = (count - 1) * gap;
    for (int i = 0; i < count; ++i)
        total += letterWidth(word[i]);
    double x = (width - total) / 2;

    p.save();
    p.setClipRect(QRectF(0, top, width, letterHeight));
    p.setPen(QPen(letterColour, stroke, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < count; ++i) {
        drawLetter(p, word[i], x, top, letterWidth(word[i]), letterHeight, stroke);
        x += letterWidth(word[i]) + gap;
    }
    p.restore();
}

} // namespace

QImage drawPopupImage()
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(field);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawLogo(p, QPointF(width / 2.0, 150));
    drawWord(p, "ALERT", 290);
    return image;
}
