// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/appstyle.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QToolTip>

namespace {

// The panel's geometry was laid out for Windows fonts. These Debian fonts
// (the package depends on them) fit it: Carlito has Calibri's metrics, and
// Lato Heavy is the heavy cut of the design Carlito comes from. The title's
// "Yu Gothic UI Semibold" is heavy by name, not by weight, so it maps to a
// family whose only face is heavy.
void mapWindowsFonts()
{
    const QString body = QStringLiteral("Carlito");
    QFont::insertSubstitution(QStringLiteral("MS Shell Dlg 2"), body);
    QFont::insertSubstitution(QStringLiteral("Eras Demi ITC"), body);
    QFont::insertSubstitution(QStringLiteral("Yu Gothic UI Semibold"),
                              QStringLiteral("Lato Heavy"));
    // Every widget's family, as Qt 5 on Windows gives it; the desktop's own
    // font would not fit the panel. The size counts where the style sheet
    // sets none (the plot's scale): Qt's own default, whatever the desktop's
    // theme says.
    QApplication::setFont(QFont(QStringLiteral("MS Shell Dlg 2"), 9));
}

} // namespace

void setAppStyle()
{
    // Without Fusion the platform style stays; palette and sheet apply anyway.
    if (QStyle* fusion = QStyleFactory::create("Fusion"))
        QApplication::setStyle(fusion);

    const QColor dark(53, 53, 53);
    // The roles not set here (the shades of frames) from the style, not
    // from the desktop's theme.
    QPalette palette = QApplication::style()->standardPalette();
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
    // White tool tip text on the white tool tip base cannot be read.
    QPalette tips = palette;
    tips.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(tips);

    // Otherwise the style sheet fixes each widget's palette when it is
    // polished: the tray balloon's labels are polished before they join the
    // balloon and keep the panel's white text on its pale yellow.
    QApplication::setAttribute(Qt::AA_UseStyleSheetPropagationInWidgetStyles);

    qApp->setStyleSheet(QStringLiteral(" QWidget { font-size:10pt; font:\"Eras Demi ITC\"; }"
                                       "                         "));
    // After the style sheet: setting one brings back the platform theme's
    // fonts for labels, buttons and boxes (Plasma's, say), which the
    // application font replaces.
    mapWindowsFonts();
}
