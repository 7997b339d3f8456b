// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/appstyle.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

void enableDisplayScaling()
{
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    // Qt 5 rounds a scale of 1.5 up to 2; a desktop at 150 % means 1.5.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

void setAppStyle()
{
    // Without Fusion the platform style stays; palette and sheet apply anyway.
    if (QStyle* fusion = QStyleFactory::create("Fusion"))
        QApplication::setStyle(fusion);

    const QColor dark(53, 53, 53);
    QPalette palette;
    palette.setColor(QPalette::Window, dark);
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Base, QColor(25, 25, 25));
    palette.setColor(QPalette::AlternateBase, dark);
    palette.setColor(QPalette::ToolTipBase, Qt::white);
    palette.setColor(QPalette::ToolTipText, Qt::white);
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::Button, dark);
    palette.setColor(QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::BrightText, Qt::red);
    palette.setColor(QPalette::Highlight, QColor(42, 130, 218));
    palette.setColor(QPalette::HighlightedText, Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, Qt::darkGray);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, Qt::darkGray);
    QApplication::setPalette(palette);

    qApp->setStyleSheet(QStringLiteral(" QWidget { font-size:10pt; font:\"Eras Demi ITC\"; }"
                                       "                         "));
}
